#include "CopyJoin.h"

#include "EncodedSilence.h"
#include "MissingDecodeTimes.h"
#include "OutputWriter.h"
#include "StopSignal.h"

extern "C" {
#include <libavutil/display.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace asapi {
namespace {

// The codec tag of a copied stream where the output's container knows it for that codec (an
// MP4's hvc1 stays hvc1); otherwise the container's own choice.
unsigned keptTag(const AVOutputFormat* format, const AVCodecParameters* codec)
{
    return codec->codec_tag && format->codec_tag &&
                   av_codec_get_id(format->codec_tag, codec->codec_tag) == codec->codec_id
               ? codec->codec_tag
               : 0;
}

} // namespace

CopyPlan planCopy(const CommandLineOptions& options, const std::vector<CopyInput>& inputs)
{
    CopyPlan plan;
    plan.container = containerFor(options.output, options.outputFormat);
    plan.audioCopied = options.audioEncoder == AudioEncoder::Copy;
    const AVStream* firstSound = inputs.front().audio();
    plan.withAudio = !plan.audioCopied || firstSound;
    std::string audioCodec;
    if (!plan.audioCopied)
        audioCodec = audioCodecName(options);
    else if (firstSound)
        audioCodec = avcodec_get_name(firstSound->codecpar->codec_id);
    checkCopiedCodecs(plan.container,
                      avcodec_get_name(copiedReference(inputs).video()->codecpar->codec_id),
                      audioCodec, plan.audioCopied);
    plan.muxer = muxerName(plan.container, "", "");
    std::vector<InputFacts> facts;
    for (const auto& input : inputs) {
        facts.push_back(input.facts);
        plan.expectedDuration += input.facts.part.lengthOf(input.facts.duration);
    }
    if (!plan.audioCopied) {
        plan.audioEncoding.container = plan.container;
        planAudio(options, facts, plan.audioEncoding);
    }
    return plan;
}

CopyJoin::CopyJoin(const CopyPlan& plan, std::vector<CopyInput>& inputs, Warn warn)
    : m_plan(plan), m_inputs(inputs), m_warn(std::move(warn)), m_encodedPacket(makePacket())
{
}

CopyJoin::~CopyJoin() = default;

void CopyJoin::create(const std::string& path)
{
    m_path = path;
    AVFormatContext* muxer = nullptr;
    check(avformat_alloc_output_context2(&muxer, nullptr, m_plan.muxer.c_str(), path.c_str()),
          "Cannot write " + path);
    m_muxer.reset(muxer);
    addStreams();
    m_file = std::make_unique<OutputFile>(path);
    m_muxer->pb = m_file->context();
    // By default the muxer hands every packet to the file at once: for a copy, whose packets
    // come as fast as the disk takes them, a write of each sound packet's few hundred bytes.
    m_muxer->flush_packets = 0;
    AVDictionary* muxerOptions = nullptr;
    std::vector<std::string> titles;
    for (const CopyInput& input : m_inputs)
        titles.push_back(input.facts.chapterName);
    m_reservedChapters.emplace(muxer, m_plan.container, titles, *m_file, &muxerOptions);
    const int written = avformat_write_header(muxer, &muxerOptions);
    av_dict_free(&muxerOptions);
    check(written, "Cannot write " + path);
    m_reservedChapters->headerWritten(avio_tell(muxer->pb));
    if (m_audioEncoder) {
        // The sound is placed against the picture's time line, counted in its time base.
        const AVRational ticks = m_videoStream->time_base;
        m_audioTimeline.emplace(
            audioTargetFor(m_audioEncoder.get(), muxer->oformat, Ratio{ticks.den, ticks.num}),
            [this](FramePtr frame) { encodeAudio(frame.get()); }, m_warn);
    }
}

void CopyJoin::addStreams()
{
    AVFormatContext* muxer = m_muxer.get();
    // The output's picture is that of the inputs copied: any other is encoded to match it.
    const CopyInput& reference = copiedReference(m_inputs);
    const AVStream* video = reference.video();
    m_videoStream = newTrack(muxer);
    check(avcodec_parameters_copy(m_videoStream->codecpar, video->codecpar), "Out of memory");
    m_videoStream->codecpar->codec_tag = keptTag(muxer->oformat, video->codecpar);
    // In MP4 and MOV, the sample entries avc3 and hev1 let parameter sets come in band; avc1 and
    // hvc1 keep them all in the file's header.
    if (m_plan.container->inBandParameterSets && parametersGoInBand(m_inputs)) {
        if (video->codecpar->codec_id == AV_CODEC_ID_H264)
            m_videoStream->codecpar->codec_tag = MKTAG('a', 'v', 'c', '3');
        else if (video->codecpar->codec_id == AV_CODEC_ID_HEVC)
            m_videoStream->codecpar->codec_tag = MKTAG('h', 'e', 'v', '1');
    }
    m_videoStream->time_base = video->time_base;
    m_videoStream->avg_frame_rate = video->avg_frame_rate;
    m_videoStream->r_frame_rate = video->r_frame_rate;
    // The pixels' shape as players show it, the container's where it states one: the muxer refuses
    // a stream whose container and codec layers state two.
    const AVRational aspect = av_guess_sample_aspect_ratio(reference.opened.context.get(),
                                                           const_cast<AVStream*>(video), nullptr);
    m_videoStream->sample_aspect_ratio = aspect;
    m_videoStream->codecpar->sample_aspect_ratio = aspect;
    // A phone clip held upright stays upright.
    std::size_t size = 0;
    if (const std::uint8_t* matrix =
            av_stream_get_side_data(video, AV_PKT_DATA_DISPLAYMATRIX, &size)) {
        std::uint8_t* copy =
            allocated(av_stream_new_side_data(m_videoStream, AV_PKT_DATA_DISPLAYMATRIX, size));
        std::memcpy(copy, matrix, size);
    }
    if (!m_plan.withAudio)
        return;
    m_audioStream = newTrack(muxer);
    if (m_plan.audioCopied) {
        const AVStream* sound = m_inputs.front().audio();
        check(avcodec_parameters_copy(m_audioStream->codecpar, sound->codecpar), "Out of memory");
        m_audioStream->codecpar->codec_tag = keptTag(muxer->oformat, sound->codecpar);
        m_audioStream->time_base = AVRational{1, sound->codecpar->sample_rate};
        return;
    }
    m_audioEncoder = openAudioEncoder(m_plan.audioEncoding, muxer->oformat);
    check(avcodec_parameters_from_context(m_audioStream->codecpar, m_audioEncoder.get()),
          "Out of memory");
    m_audioStream->time_base = m_audioEncoder->time_base;
}

void CopyJoin::run(const Report& report)
{
    std::unique_ptr<AVCodecParameters, ParametersDeleter> inEffect;
    m_cutPictures.emplace(m_inputs);
    for (std::size_t i = 0; i < m_inputs.size() && !stopRequested(); ++i) {
        CopyInput& input = m_inputs[i];
        m_cutPictures->copying(i);
        const AVCodecParameters* parameters = input.pictureParameters();
        m_inBand.clear();
        if (inEffect)
            m_inBand =
                inBandParameterSets(m_ownSetsInEffect ? nullptr : inEffect.get(), parameters);
        if (!inEffect || !m_inBand.empty()) {
            inEffect.reset(allocated(avcodec_parameters_alloc()));
            check(avcodec_parameters_copy(inEffect.get(), parameters), "Out of memory");
        }
        input.opened.file->takeUp();
        copyInput(i, report);
        // Done with: its buffers go.
        input.opened.context.reset();
        input.opened.file.reset();
    }
    m_cutShort = stopRequested();
}

void CopyJoin::copyInput(std::size_t index, const Report& report)
{
    CopyInput& input = m_inputs[index];
    AVFormatContext* context = input.opened.context.get();
    const int videoIndex = input.opened.videoIndex;
    int audioIndex = m_audioStream ? input.opened.audioIndex : -1;
    readOnlyStreams(context, videoIndex, audioIndex);
    const AVStream* video = context->streams[videoIndex];
    // A part's copied pictures begin on a keyframe and end before one, both found before the
    // join (cutPartAtKeyframes): its picture and sound are measured from its start.
    const InputPart& part = input.facts.part;
    const auto ticks = [&](double seconds) {
        return pictureOrigin(context, video) + std::llround(seconds / av_q2d(video->time_base));
    };
    const std::int64_t origin = ticks(part.start);
    // Where the copied pictures begin and end: after and before those encoded again, if any.
    const std::int64_t copyFrom = input.copyFrom ? ticks(*input.copyFrom) : origin;
    const std::optional<std::int64_t> end =
        part.length ? std::optional(ticks(part.end())) : std::nullopt;
    const std::optional<std::int64_t> copyUntil =
        input.copyUntil ? std::optional<std::int64_t>(ticks(*input.copyUntil)) : end;
    m_partStart = m_videoEnd;
    m_partSoundStart.reset();
    m_clockJumps.emplace(context->iformat->flags & AVFMT_TS_DISCONT);
    const Ratio rate = input.facts.frameRate;
    m_pictureDuration = av_rescale_q(1, AVRational{rate.den, rate.num}, m_videoStream->time_base);
    const int framesBefore = m_framesWritten;

    std::optional<StreamDecoder> soundDecoder;
    if (m_audioTimeline) {
        CodecContextPtr codec;
        if (audioIndex >= 0 && !(codec = openDecoder(context->streams[audioIndex], 0))) {
            m_warn("No usable audio in " + input.facts.path + "; using silence.");
            audioIndex = -1;
        }
        if (audioIndex >= 0) {
            const AVRational timeBase = context->streams[audioIndex]->time_base;
            soundDecoder.emplace(
                std::move(codec),
                FrameClock(timeBase, av_rescale_q(origin, video->time_base, timeBase),
                           context->iformat->flags & AVFMT_TS_DISCONT, input.facts.duration,
                           [this](const AVFrame* frame, double start, double) {
                               m_audioTimeline->push(frame, start);
                           }),
                0.0, input.facts.path, m_warn);
        }
    }
    std::int64_t soundNext = AV_NOPTS_VALUE; // where the next sound packet to decode begins
    const auto takeSound = [&](AVPacket* packet) {
        if (soundDecoder) {
            m_clockJumps->correct(ClockJumps::Audio, packet, soundNext,
                                  context->streams[audioIndex]->time_base);
            soundDecoder->decode(packet);
        } else
            holdAudio(
                packet, context->streams[audioIndex],
                av_rescale_q(origin, video->time_base, context->streams[audioIndex]->time_base),
                input.facts.path);
    };
    // The part's first picture may move its start on (see writeVideo): its sound is placed
    // only from there, and what comes before that picture waits.
    bool soundPlaced = false;
    std::vector<PacketPtr> waitingSound;
    const auto placeSound = [&] {
        soundPlaced = true;
        if (m_audioTimeline)
            m_audioTimeline->beginInput(input.facts.path, audioIndex >= 0, m_partStart);
        for (PacketPtr& packet : waitingSound)
            takeSound(packet.get());
        waitingSound.clear();
    };

    // Half a picture, by which a keyframe's stamp may miss the time found for it.
    const std::int64_t halfPicture = std::max<std::int64_t>(
        av_rescale_q(1, AVRational{rate.den, 2 * rate.num}, video->time_base), 1);
    const bool cutStart = part.start > 0.0;
    // Pictures encoded again open the part: copying begins at copyFrom.
    const bool copiesFromStart = !cutStart && !input.copyFrom;
    bool begun = copiesFromStart;
    bool pictureEnded = false;
    bool soundEnded = audioIndex < 0;
    // A picture that comes after the part's keyframe but is shown before it leans on pictures
    // that are not copied.
    const auto inPart = [&](const AVPacket* packet) {
        const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        const bool key = packet->flags & AV_PKT_FLAG_KEY;
        if (key && stamp != AV_NOPTS_VALUE && copyUntil && stamp >= *copyUntil - halfPicture)
            pictureEnded = true;
        if (!begun && key && stamp != AV_NOPTS_VALUE && stamp >= copyFrom - halfPicture)
            begun = true;
        return begun && !pictureEnded &&
               (copiesFromStart || stamp == AV_NOPTS_VALUE || stamp >= copyFrom - halfPicture);
    };
    // Whether a sound packet lies before the part, and notes when one comes after it.
    const auto soundBefore = [&](const AVPacket* packet) {
        const AVRational timeBase = context->streams[audioIndex]->time_base;
        const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (stamp == AV_NOPTS_VALUE)
            return false;
        if (end && stamp >= av_rescale_q(*end, video->time_base, timeBase))
            soundEnded = true;
        // Two packets' more for the decoder of encoded sound to settle.
        return cutStart &&
               stamp + 3 * packet->duration < av_rescale_q(origin, video->time_base, timeBase);
    };

    const auto takePicture = [&](AVPacket* packet) {
        writeVideo(packet, video, origin);
        if (!soundPlaced)
            placeSound();
        report(figures());
    };
    MissingDecodeTimes decodeTimes(video->time_base, rate, takePicture);
    // Pictures encoded with parameter sets of their own bring them; the clip's own come again
    // before its next keyframe.
    const auto encodedAgain = [&](bool lead) {
        std::vector<std::uint8_t> clipSets;
        if (input.cutSettings.inBand)
            std::swap(clipSets, m_inBand);
        if (input.match && lead)
            encodeCut(input.facts.path, rate, input.cutSettings, part.start,
                      part.length ? part.end() : std::numeric_limits<double>::infinity(),
                      takePicture, &*input.match);
        for (const PacketPtr& packet : m_cutPictures->take(index, lead))
            takePicture(packet.get());
        if (input.cutSettings.inBand) {
            m_ownSetsInEffect = true;
            m_inBand = inBandParameterSets(nullptr, video->codecpar);
        }
    };
    if (input.copyFrom)
        encodedAgain(true);
    seekToPart(context, videoIndex, pictureOrigin(context, video), part.start, input.facts.path);
    readPackets(context, input.facts.path, m_warn, [&](AVPacket* packet) {
        if (packet->stream_index == videoIndex) {
            if (inPart(packet))
                decodeTimes.push(packet);
        } else if (packet->stream_index == audioIndex && !soundBefore(packet) && !soundEnded) {
            if (soundPlaced)
                takeSound(packet);
            else
                waitingSound.emplace_back(allocated(av_packet_clone(packet)));
        }
        return !(pictureEnded && soundEnded);
    });
    decodeTimes.finish();
    if (input.copyUntil)
        encodedAgain(false);
    if (!soundPlaced)
        placeSound();
    if (soundDecoder)
        soundDecoder->finish();
    if (m_audioTimeline) {
        m_partSoundStart =
            av_rescale_q(m_audioTimeline->inputSoundStart(),
                         AVRational{1, m_audioTimeline->sampleRate()}, m_videoStream->time_base);
        m_audioTimeline->endInput(m_videoEnd);
    } else if (m_audioStream) {
        writeHeldAudio(av_rescale_q(m_videoEnd, m_videoStream->time_base, m_audioStream->time_base),
                       true);
        if (m_partSoundStart)
            m_partSoundStart =
                av_rescale_q(*m_partSoundStart, soundSamples(), m_videoStream->time_base);
    }
    if (m_framesWritten == framesBefore)
        return;
    const double start = videoSeconds(m_partStart);
    m_chapters.push_back(Chapter{start, input.facts.chapterName});
    // Copied sound keeps its input's offset; a part further in has its input's sound from its
    // start, or from where that sound begins.
    std::optional<double> ownOffset = 0.0;
    if (!m_audioTimeline) {
        ownOffset = input.facts.soundOffset;
        if (ownOffset && part.start > 0.0)
            ownOffset = std::max(*ownOffset - part.start, 0.0);
    }
    if (m_chapters.size() > 1)
        m_joinPoints.push_back(
            JoinPoint{static_cast<int>(m_chapters.size()), start,
                      m_partSoundStart ? videoSeconds(*m_partSoundStart) - start : 0.0, ownOffset});
    // The seams of later parts are decoded as they are; the first part's start is a cut when its
    // first pictures were encoded again.
    const int partNumber = static_cast<int>(m_chapters.size());
    const double partEnd = std::min(part.end(), input.facts.duration);
    for (const std::optional<double> cut :
         {partNumber == 1 && input.copyFrom ? std::optional(part.start) : std::nullopt,
          input.copyFrom, input.copyUntil})
        if (cut && *cut < partEnd - InputPart::tolerance)
            m_written.cuts.push_back(PictureCut{partNumber, start + *cut - part.start});
    m_written.shapes.push_back(PartShape{
        input.facts.rotation, input.match ? input.match->pixelAspect : input.facts.pixelAspect});
    m_written.clipsLength += videoSeconds(m_videoEnd) - start;
}

WrittenJoin CopyJoin::written() const
{
    WrittenJoin written = m_written;
    written.joins = m_joinPoints;
    written.videoEnd = videoSeconds(m_videoEnd);
    written.decodeSeams = true;
    return written;
}

void CopyJoin::writeVideo(AVPacket* packet, const AVStream* from, std::int64_t origin)
{
    const AVRational to = m_videoStream->time_base;
    if (packet->pts == AV_NOPTS_VALUE)
        packet->pts = packet->dts;
    if (packet->dts == AV_NOPTS_VALUE)
        packet->dts = packet->pts;
    std::int64_t pts = m_lastVideoTime == AV_NOPTS_VALUE ? m_partStart : m_lastVideoTime + 1;
    std::int64_t dts = pts;
    if (packet->pts != AV_NOPTS_VALUE) {
        pts = av_rescale_q(packet->pts - origin, from->time_base, to) + m_partStart;
        dts = av_rescale_q(packet->dts - origin, from->time_base, to) + m_partStart;
        const std::int64_t corrected = m_clockJumps->corrected(
            ClockJumps::Video, dts, m_lastVideoTime + m_pictureDuration, to);
        pts += corrected - dts;
        dts = corrected;
    }
    // An input that reorders its pictures further than the one before begins decoding before
    // that one ended. Its first pictures are decoded just after the last one's instead, as long
    // as that is before they are shown; else the whole input moves on as far as needed.
    if (m_lastVideoTime != AV_NOPTS_VALUE && dts <= m_lastVideoTime) {
        if (m_lastVideoTime + 1 <= pts) {
            dts = m_lastVideoTime + 1;
        } else {
            const std::int64_t shift = m_lastVideoTime + 1 - dts;
            m_partStart += shift;
            pts += shift;
            dts += shift;
        }
    }
    const std::int64_t duration = packet->duration > 0
                                      ? av_rescale_q(packet->duration, from->time_base, to)
                                      : m_pictureDuration;
    m_videoEnd = std::max(m_videoEnd, pts + duration);
    m_lastVideoTime = dts;
    if (!m_inBand.empty() && (packet->flags & AV_PKT_FLAG_KEY)) {
        const int size = packet->size;
        const int extra = static_cast<int>(m_inBand.size());
        check(av_grow_packet(packet, extra), "Out of memory");
        std::memmove(packet->data + extra, packet->data, static_cast<std::size_t>(size));
        std::memcpy(packet->data, m_inBand.data(), m_inBand.size());
        m_inBand.clear();
        m_ownSetsInEffect = false;
    }
    packet->pts = pts;
    packet->dts = dts;
    packet->duration = duration;
    packet->pos = -1;
    packet->stream_index = m_videoStream->index;
    m_videoBytes += packet->size;
    ++m_framesWritten;
    write(packet);
    if (m_audioTimeline)
        m_audioTimeline->videoReached(dts);
    else if (m_audioStream)
        writeHeldAudio(av_rescale_q(m_videoEnd, to, m_audioStream->time_base), false);
}

void CopyJoin::holdAudio(AVPacket* packet, const AVStream* from, std::int64_t origin,
                         const std::string& path)
{
    // A packet lasts as long as what a player decodes of it, the codec's frame size: its own
    // length is rounded in a time base coarser than the samples, as Matroska's milliseconds, and
    // the last of a clip's is cut to the sound's end, which in the middle of a join would put
    // the next part's sound that much ahead by sample count.
    const AVRational to = soundSamples();
    const int frameSize = from->codecpar->frame_size;
    std::int64_t duration = frameSize;
    if (duration <= 0)
        duration =
            packet->duration > 0 ? av_rescale_q(packet->duration, from->time_base, to) : 1024;
    const std::int64_t partStart = av_rescale_q(m_partStart, m_videoStream->time_base, to);
    const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    const std::int64_t own =
        stamp == AV_NOPTS_VALUE
            ? std::max(m_audioNext, partStart)
            : m_clockJumps->corrected(ClockJumps::Audio,
                                      partStart + av_rescale_q(stamp - origin, from->time_base, to),
                                      m_audioNext, to);
    // Mostly before the picture: the encoder's priming, or sound the picture does not have.
    if (own + duration / 2 < partStart)
        return;
    // Each packet follows the one before. Sound missing before it for longer than half a packet
    // is filled with silence, or else kept as a gap. So the sound never drifts from its own
    // times by more.
    if (own - m_audioNext > duration / 2)
        holdSilence(own - m_audioNext, path, hasAdtsHeader(packet));
    const std::int64_t position = own - m_audioNext > duration / 2 ? own : m_audioNext;
    m_audioNext = position + duration;
    if (!m_partSoundStart)
        m_partSoundStart = position;
    PacketPtr held(allocated(av_packet_clone(packet)));
    // The priming a decoder skips belongs to the input's start, not to the middle of a join.
    av_packet_shrink_side_data(held.get(), AV_PKT_DATA_SKIP_SAMPLES, 0);
    held->pos = -1;
    held->stream_index = m_audioStream->index;
    m_heldAudio.push_back(HeldAudio{std::move(held), position, duration});
}

// Whole packets of silence, as many as fill the gap best; none when the codec's silence cannot
// be made, and then the gap stays.
void CopyJoin::holdSilence(std::int64_t samples, const std::string& path, bool adtsHeaders)
{
    if (!m_silenceTried) {
        m_silenceTried = true;
        m_silence = encodedSilence(m_audioStream->codecpar, adtsHeaders);
        if (!m_silence)
            m_warn("The gaps in the sound, the first in " + path +
                   ", cannot be filled with silence of its codec.");
    }
    if (!m_silence)
        return;
    const std::int64_t length = m_silence->duration;
    for (std::int64_t count = (samples + length / 2) / length; count > 0; --count) {
        PacketPtr held(allocated(av_packet_clone(m_silence.get())));
        held->pos = -1;
        held->stream_index = m_audioStream->index;
        m_heldAudio.push_back(HeldAudio{std::move(held), m_audioNext, length});
        m_audioNext += length;
    }
}

// Sound within the picture read so far goes out; at an input's end, a packet goes out when most
// of it lies within the picture, and the rest is dropped. end: in the output's sound time base.
void CopyJoin::writeHeldAudio(std::int64_t end, bool partEnds)
{
    const AVRational samples = soundSamples();
    const AVRational out = m_audioStream->time_base;
    end = av_rescale_q(end, out, samples);
    while (!m_heldAudio.empty()) {
        HeldAudio& held = m_heldAudio.front();
        const bool within = held.position + (partEnds ? held.duration / 2 : held.duration) <= end;
        if (!within && !partEnds)
            return;
        if (!within) {
            m_audioNext = held.position;
            m_heldAudio.clear();
            return;
        }
        // Each time from its own sample count, not from rounded lengths laid end to end.
        AVPacket* packet = held.packet.get();
        packet->pts = av_rescale_q(held.position, samples, out);
        packet->dts = packet->pts;
        packet->duration = av_rescale_q(held.position + held.duration, samples, out) - packet->pts;
        m_audioBytes += packet->size;
        write(packet);
        m_heldAudio.pop_front();
    }
}

void CopyJoin::encodeAudio(const AVFrame* frame)
{
    AVCodecContext* encoder = m_audioEncoder.get();
    check(avcodec_send_frame(encoder, frame), "Cannot encode " + m_path);
    AVPacket* packet = m_encodedPacket.get();
    while (true) {
        const int received = avcodec_receive_packet(encoder, packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return;
        check(received, "Cannot encode " + m_path);
        m_audioBytes += packet->size;
        av_packet_rescale_ts(packet, encoder->time_base, m_audioStream->time_base);
        packet->stream_index = m_audioStream->index;
        write(packet);
    }
}

void CopyJoin::write(AVPacket* packet)
{
    if (m_audioStream && packet->stream_index == m_audioStream->index)
        m_audioEnd = std::max(m_audioEnd, packet->pts + packet->duration);
    check(av_interleaved_write_frame(m_muxer.get(), packet), "Cannot write " + m_path);
}

bool CopyJoin::finish(Placement placement, const BeforePlacing& beforePlacing)
{
    if (m_audioTimeline) {
        m_audioTimeline->finish();
        encodeAudio(nullptr);
    }
    setChapters(m_muxer.get(), m_plan.container, m_chapters, videoSeconds(m_videoEnd));
    check(av_write_trailer(m_muxer.get()), "Cannot write " + m_path);
    m_reservedChapters->mend(m_chapters, videoSeconds(m_videoEnd));
    m_file->showBeforePlacing(beforePlacing);
    return m_file->commit(placement);
}

void CopyJoin::discard()
{
    m_muxer.reset();
    m_file.reset();
}

AVRational CopyJoin::soundSamples() const
{
    return AVRational{1, m_audioStream->codecpar->sample_rate};
}

double CopyJoin::videoSeconds(std::int64_t time) const
{
    return time * av_q2d(m_videoStream->time_base);
}

StatusFigures CopyJoin::figures() const
{
    StatusFigures figures;
    figures.frames = m_framesWritten;
    figures.position = videoSeconds(m_videoEnd);
    if (m_audioStream)
        figures.audioPosition = m_audioEnd * av_q2d(m_audioStream->time_base);
    figures.audioMinusVideo = figures.audioPosition - figures.position;
    figures.fraction =
        m_plan.expectedDuration > 0 ? figures.position / m_plan.expectedDuration : 0.0;
    figures.fileBytes = m_muxer && m_muxer->pb ? avio_tell(m_muxer->pb) : 0;
    figures.videoBytes = m_videoBytes;
    figures.audioBytes = m_audioBytes;
    return figures;
}

} // namespace asapi
