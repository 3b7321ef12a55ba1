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

// Sends a frame, or nullptr at the end, to the encoder and hands on each packet it gives.
template <typename Take>
void encodeFrame(AVCodecContext* encoder, const AVFrame* frame, AVPacket* packet,
                 const std::string& failure, Take take)
{
    check(avcodec_send_frame(encoder, frame), failure);
    while (true) {
        const int received = avcodec_receive_packet(encoder, packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return;
        check(received, failure);
        take(packet);
        av_packet_unref(packet);
    }
}

// A sound track encoded whole keeps its sound's rate and channels, and its bitrate where its
// codec stays, unless that is too low for our encoder (HE-AAC's, encoded as AAC LC).
OutputPlan wholeTrackEncoding(const AVCodec* encoder, const AVCodecParameters* sound,
                              Container container)
{
    OutputPlan plan;
    plan.container = container;
    plan.audioCodec = encoder->name;
    plan.channels = sound->ch_layout.nb_channels > 0 ? sound->ch_layout.nb_channels : 2;
    plan.sampleRate = sound->sample_rate > 0 ? sound->sample_rate : 48000;
    if (const int* rates = encoder->supported_samplerates) {
        const int* rate = rates;
        while (*rate && *rate != plan.sampleRate)
            ++rate;
        if (!*rate)
            plan.sampleRate = 48000;
    }
    const bool lossless = avcodec_descriptor_get(encoder->id)->props & AV_CODEC_PROP_LOSSLESS;
    if (!lossless)
        plan.audioBitrate =
            encoder->id == sound->codec_id
                ? std::max<long>(static_cast<long>(sound->bit_rate), 64000L * plan.channels)
                : 96000L * std::min(plan.channels, 2) + 64000L * std::max(plan.channels - 2, 0);
    return plan;
}

} // namespace

CopyPlan planCopy(const CommandLineOptions& options, const std::vector<CopyInput>& inputs,
                  std::vector<CarriedTrack> tracks)
{
    CopyPlan plan;
    plan.container = containerFor(options.output, options.outputFormat);
    plan.audioCopied = options.audioEncoder == AudioEncoder::Copy;
    std::vector<const AVFormatContext*> contexts;
    for (const CopyInput& input : inputs)
        contexts.push_back(input.opened.context.get());
    for (const CarriedTrack& track : dropUnkept(tracks, contexts, plan.container)) {
        plan.dropped.push_back(describeTrack(track, contexts));
        plan.droppedSentences.push_back(droppedSentence(plan.dropped.back(), plan.container));
    }
    const auto soundTracks = static_cast<std::size_t>(std::count_if(
        tracks.begin(), tracks.end(), [](const auto& t) { return t.type == AVMEDIA_TYPE_AUDIO; }));
    plan.withAudio = !plan.audioCopied || soundTracks > 0;
    const std::string videoCodec =
        avcodec_get_name(copiedReference(inputs).video()->codecpar->codec_id);
    if (!plan.audioCopied || soundTracks == 0)
        checkCopiedCodecs(plan.container, videoCodec,
                          plan.audioCopied ? "" : audioCodecName(options), plan.audioCopied);
    plan.soundEncodedReasons.resize(inputs.size());
    plan.soundEncoding.resize(soundTracks);
    std::vector<std::string> encodedWhy(soundTracks);
    // Each copied track takes the sound most of its inputs have; the others' is encoded again
    // to match it where it can be, else the whole track is encoded. A further track whose codec
    // the container cannot hold is encoded whole too. Where nothing can encode it, the join's
    // sound refuses the copy; a further track is dropped, as a join of its first tracks alone
    // would go on.
    std::vector<std::size_t> droppedSound;
    for (std::size_t t = 0; plan.audioCopied && t < soundTracks; ++t) {
        CarriedTrack& track = tracks[t];
        std::vector<const AVStream*> sounds;
        for (std::size_t i = 0; i < inputs.size(); ++i)
            sounds.push_back(track.streamOf(contexts[i], i));
        track.reference = mostAlike(sounds);
        const AVStream* reference = sounds[track.reference];
        const auto encodeWhole = [&](const std::string& why) {
            const AVCodec* encoder = wholeTrackEncoder(reference->codecpar, plan.container);
            if (encoder) {
                plan.soundEncoding[t] =
                    wholeTrackEncoding(encoder, reference->codecpar, plan.container);
                encodedWhy[t] = why;
                plan.soundEncoded.emplace_back(inputs.size(), false);
            }
            return encoder != nullptr;
        };
        const auto drop = [&](const std::string& sentence) {
            droppedSound.push_back(t);
            plan.dropped.push_back(describeTrack(track, contexts));
            plan.droppedSentences.push_back(sentence);
        };
        const std::string codec = avcodec_get_name(reference->codecpar->codec_id);
        if (t > 0 && !holdsCopiedSound(plan.container, codec)) {
            if (!encodeWhole(containerName(plan.container) + " cannot hold copied " + codec +
                             " audio."))
                drop(droppedSentence(describeTrack(track, contexts), plan.container));
            continue;
        }
        checkCopiedCodecs(plan.container, videoCodec, codec, true);
        const bool matchable = encodesAlike(reference->codecpar);
        std::vector<bool> encoded(inputs.size(), false);
        std::vector<std::string> reasons(inputs.size());
        std::optional<std::string> refused;
        for (std::size_t i = 0; i < inputs.size() && !refused; ++i) {
            const auto refusal =
                soundRefusal(inputs[i], sounds[i], inputs[track.reference], reference);
            if (refusal && (!sounds[i] || !matchable))
                refused = refusal;
            else if (refusal) {
                encoded[i] = true;
                reasons[i] = *refusal;
            }
        }
        if (refused && encodeWhole(*refused))
            continue;
        if (refused && t == 0)
            throw EncoderError::cannotCopySound(*refused);
        if (refused) {
            refused->pop_back(); // its full stop
            drop("The " + trackName(describeTrack(track, contexts)) +
                 " differs between the videos (" + *refused +
                 "), so it cannot be kept in one copied track and is dropped.");
            continue;
        }
        plan.soundEncoded.push_back(encoded);
        for (std::size_t i = 0; i < inputs.size(); ++i)
            if (plan.soundEncodedReasons[i].empty())
                plan.soundEncodedReasons[i] = reasons[i];
    }
    for (auto t = droppedSound.rbegin(); t != droppedSound.rend(); ++t) {
        const auto at = static_cast<std::ptrdiff_t>(*t);
        tracks.erase(tracks.begin() + at);
        plan.soundEncoding.erase(plan.soundEncoding.begin() + at);
        encodedWhy.erase(encodedWhy.begin() + at);
    }
    // Encoded sound is silence where an input has none: the join's sound track stays.
    if (!plan.audioCopied && soundTracks == 0) {
        tracks.insert(tracks.begin(),
                      CarriedTrack{AVMEDIA_TYPE_AUDIO, std::vector<int>(inputs.size(), -1), 0, {}});
        plan.soundEncoding.resize(1);
        encodedWhy.resize(1);
    }
    std::vector<InputFacts> facts;
    for (const auto& input : inputs) {
        facts.push_back(input.facts);
        plan.expectedDuration += input.facts.part.lengthOf(input.facts.duration);
    }
    if (!plan.audioCopied) {
        OutputPlan encoding;
        encoding.container = plan.container;
        planAudio(options, facts, encoding);
        std::fill(plan.soundEncoding.begin(), plan.soundEncoding.end(), encoding);
    }
    plan.tracks = std::move(tracks);
    for (const CarriedTrack& track : plan.tracks) {
        vantomel::TrackLine line = describeTrack(track, contexts);
        const std::size_t index = plan.trackLines.size();
        line.number = static_cast<int>(index) + 2;
        if (index < plan.soundEncoding.size() && plan.soundEncoding[index]) {
            if (const AVCodec* encoder =
                    avcodec_find_encoder_by_name(plan.soundEncoding[index]->audioCodec.c_str()))
                line.codec = avcodec_get_name(encoder->id);
            line.encodedWhy = encodedWhy[index];
        }
        plan.trackLines.push_back(line);
    }
    plan.muxer = muxerName(plan.container, "", "");
    return plan;
}

// The state of one sound track while an input is read.
struct CopyJoin::PartSound
{
    SoundTrack* track = nullptr;
    int index = -1; // the input's stream, -1: none
    // Copied sound that differs from its track's: encoded again to match.
    CodecContextPtr matchingEncoder;
    std::optional<AudioTimeline> matching;
    std::optional<StreamDecoder> decoder;
    std::int64_t next = AV_NOPTS_VALUE; // where the next packet to decode begins
    bool ended = false;
    std::vector<PacketPtr> waiting; // until the part's first picture is placed
};

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
    for (const auto& track : m_sound)
        if (track->encoder) {
            // The sound is placed against the picture's time line, counted in its time base.
            const AVRational ticks = m_videoStream->time_base;
            SoundTrack* encoded = track.get();
            track->timeline.emplace(
                audioTargetFor(track->encoder.get(), muxer->oformat, Ratio{ticks.den, ticks.num}),
                [this, encoded](FramePtr frame) { encodeAudio(*encoded, frame.get()); }, m_warn);
        }
}

namespace {

// A carried track keeps its title, language and flags.
void keepTrackTags(AVStream* to, const AVStream* from)
{
    for (const char* key : {"language", "title", "handler_name"})
        if (const AVDictionaryEntry* entry = av_dict_get(from->metadata, key, nullptr, 0))
            av_dict_set(&to->metadata, key, entry->value, 0);
    to->disposition = from->disposition;
}

// The first input's timecode, which the container writes as a timecode track of its own.
const char* timecodeOf(const AVFormatContext* input)
{
    if (const AVDictionaryEntry* entry = av_dict_get(input->metadata, "timecode", nullptr, 0))
        return entry->value;
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (const AVDictionaryEntry* entry =
                av_dict_get(input->streams[i]->metadata, "timecode", nullptr, 0))
            return entry->value;
    return nullptr;
}

} // namespace

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
    if (const char* timecode = timecodeOf(m_inputs.front().opened.context.get()))
        av_dict_set(&m_videoStream->metadata, "timecode", timecode, 0);
    for (const CarriedTrack& carried : m_plan.tracks) {
        if (carried.type == AVMEDIA_TYPE_AUDIO && !m_plan.withAudio)
            continue;
        AVStream* stream = nullptr;
        if (carried.type == AVMEDIA_TYPE_AUDIO) {
            stream = addSoundStream(carried);
        } else {
            const AVStream* from = carried.streamOf(
                m_inputs[carried.reference].opened.context.get(), carried.reference);
            stream = newTrack(muxer);
            TimedTrack track{carried.streams, stream, nullptr};
            if (carried.convertTo != AV_CODEC_ID_NONE) {
                track.converter = SubtitleConverter::open(from, carried.convertTo);
                if (!track.converter)
                    throw EncoderError{"Cannot convert the subtitles of " +
                                       m_inputs[carried.reference].facts.path + "."};
                check(avcodec_parameters_from_context(stream->codecpar, track.converter->encoder()),
                      "Out of memory");
                stream->time_base = track.converter->encoder()->time_base;
            } else {
                check(avcodec_parameters_copy(stream->codecpar, from->codecpar), "Out of memory");
                stream->codecpar->codec_tag = keptTag(muxer->oformat, from->codecpar);
                if (carried.type == AVMEDIA_TYPE_DATA)
                    stream->codecpar->codec_tag = from->codecpar->codec_tag;
                stream->time_base = from->time_base;
            }
            m_timed.push_back(std::move(track));
        }
        if (carried.streams[carried.reference] >= 0)
            keepTrackTags(stream, carried.streamOf(m_inputs[carried.reference].opened.context.get(),
                                                   carried.reference));
    }
    // Some sound is played: the first track's, where the inputs mark none.
    if (!m_sound.empty() && std::none_of(m_sound.begin(), m_sound.end(), [](const auto& track) {
            return track->stream->disposition & AV_DISPOSITION_DEFAULT;
        }))
        m_sound.front()->stream->disposition |= AV_DISPOSITION_DEFAULT;
}

AVStream* CopyJoin::addSoundStream(const CarriedTrack& carried)
{
    auto track = std::make_unique<SoundTrack>();
    track->streams = carried.streams;
    track->stream = newTrack(m_muxer.get());
    AVStream* stream = track->stream;
    if (const std::optional<OutputPlan>& encoding = m_plan.soundEncoding[m_sound.size()];
        !encoding) {
        const AVStream* sound =
            carried.streamOf(m_inputs[carried.reference].opened.context.get(), carried.reference);
        check(avcodec_parameters_copy(stream->codecpar, sound->codecpar), "Out of memory");
        stream->codecpar->codec_tag = keptTag(m_muxer->oformat, sound->codecpar);
        stream->time_base = AVRational{1, sound->codecpar->sample_rate};
    } else {
        track->encoder = openAudioEncoder(*encoding, m_muxer->oformat);
        check(avcodec_parameters_from_context(stream->codecpar, track->encoder.get()),
              "Out of memory");
        stream->time_base = track->encoder->time_base;
    }
    m_soundOfStream.resize(static_cast<std::size_t>(stream->index) + 1, nullptr);
    m_soundOfStream[static_cast<std::size_t>(stream->index)] = track.get();
    m_sound.push_back(std::move(track));
    return stream;
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
    std::vector<PartSound> sounds(m_sound.size());
    std::vector<int> read{videoIndex};
    for (std::size_t t = 0; t < m_sound.size(); ++t) {
        sounds[t].track = m_sound[t].get();
        sounds[t].index = m_sound[t]->streams[index];
        read.push_back(sounds[t].index);
    }
    for (const TimedTrack& track : m_timed)
        read.push_back(track.streams[index]);
    readOnlyStreams(context, read);
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
    const auto originIn = [&](const AVStream* stream) {
        return av_rescale_q(origin, video->time_base, stream->time_base);
    };

    for (std::size_t t = 0; t < sounds.size(); ++t) {
        PartSound& sound = sounds[t];
        SoundTrack& track = *sound.track;
        sound.ended = sound.index < 0;
        const bool encodedToMatch = !track.timeline && t < m_plan.soundEncoded.size() &&
                                    m_plan.soundEncoded[t][index] && sound.index >= 0;
        if (encodedToMatch) {
            sound.matchingEncoder = matchingEncoder(track.stream->codecpar);
            if (!sound.matchingEncoder)
                throw EncoderError{"Cannot encode the sound of " + input.facts.path + "."};
            AudioTarget target =
                audioTargetFor(sound.matchingEncoder.get(), m_muxer->oformat,
                               Ratio{m_videoStream->time_base.den, m_videoStream->time_base.num});
            // The encoder's priming falls before the part and is dropped there.
            target.leadIn = 0;
            AVCodecContext* encoder = sound.matchingEncoder.get();
            sound.matching.emplace(
                target,
                [this, &track, encoder, &input](FramePtr frame) {
                    encodeToMatch(track, encoder, frame.get(), input.facts.path);
                },
                m_warn);
            track.matching = &*sound.matching;
        }
        if (!track.timeline && !encodedToMatch)
            continue;
        AudioTimeline& timeline = encodedToMatch ? *sound.matching : *track.timeline;
        CodecContextPtr codec;
        if (sound.index >= 0 && !(codec = openDecoder(context->streams[sound.index], 0))) {
            m_warn("No usable audio in " + input.facts.path + "; using silence.");
            sound.index = -1;
            sound.ended = true;
        }
        if (sound.index >= 0) {
            const AVRational timeBase = context->streams[sound.index]->time_base;
            sound.decoder.emplace(std::move(codec),
                                  FrameClock(timeBase, originIn(context->streams[sound.index]),
                                             context->iformat->flags & AVFMT_TS_DISCONT,
                                             input.facts.duration,
                                             [&timeline](const AVFrame* frame, double start,
                                                         double) { timeline.push(frame, start); }),
                                  0.0, input.facts.path, m_warn);
        }
    }
    const auto takeSound = [&](PartSound& sound, AVPacket* packet) {
        const AVStream* from = context->streams[sound.index];
        if (sound.decoder) {
            m_clockJumps->correct(ClockJumps::Audio, packet, sound.next, from->time_base);
            sound.decoder->decode(packet);
        } else
            holdAudio(*sound.track, packet, from->time_base, from->codecpar->frame_size,
                      originIn(from), input.facts.path);
    };
    // The part's first picture may move its start on (see writeVideo): its sound is placed
    // only from there, and what comes before that picture waits.
    bool soundPlaced = false;
    const auto placeSound = [&] {
        soundPlaced = true;
        for (PartSound& sound : sounds) {
            if (sound.matching)
                sound.matching->beginInput(input.facts.path, true, 0);
            else if (sound.track->timeline)
                sound.track->timeline->beginInput(input.facts.path, sound.index >= 0, m_partStart);
            for (PacketPtr& packet : sound.waiting)
                takeSound(sound, packet.get());
            sound.waiting.clear();
        }
    };

    // Half a picture, by which a keyframe's stamp may miss the time found for it.
    const std::int64_t halfPicture = std::max<std::int64_t>(
        av_rescale_q(1, AVRational{rate.den, 2 * rate.num}, video->time_base), 1);
    const bool cutStart = part.start > 0.0;
    // Pictures encoded again open the part: copying begins at copyFrom.
    const bool copiesFromStart = !cutStart && !input.copyFrom;
    bool begun = copiesFromStart;
    bool pictureEnded = false;
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
    const auto soundBefore = [&](PartSound& sound, const AVPacket* packet) {
        const AVRational timeBase = context->streams[sound.index]->time_base;
        const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (stamp == AV_NOPTS_VALUE)
            return false;
        if (end && stamp >= av_rescale_q(*end, video->time_base, timeBase))
            sound.ended = true;
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
    // A subtitle still shown at the part's start began before it: the reading starts that much
    // earlier, as far as a subtitle is ever shown.
    constexpr double subtitleLead = 10.0; // seconds
    const bool subtitled = std::any_of(m_timed.begin(), m_timed.end(), [&](const auto& track) {
        return track.streams[index] >= 0 &&
               context->streams[track.streams[index]]->codecpar->codec_type ==
                   AVMEDIA_TYPE_SUBTITLE;
    });
    seekToPart(context, videoIndex, pictureOrigin(context, video),
               subtitled ? std::max(part.start - subtitleLead, 0.0) : part.start, input.facts.path);
    const auto allSoundEnded = [&sounds] {
        return std::all_of(sounds.begin(), sounds.end(), [](const auto& s) { return s.ended; });
    };
    // How far into the part the packets read so far reach, in seconds.
    double readUpTo = -std::numeric_limits<double>::infinity();
    const auto takePacket = [&](AVPacket* packet) {
        const AVStream* from = context->streams[packet->stream_index];
        if (const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            stamp != AV_NOPTS_VALUE)
            readUpTo = std::max(readUpTo, (stamp - originIn(from)) * av_q2d(from->time_base));
        if (packet->stream_index == videoIndex) {
            if (inPart(packet))
                decodeTimes.push(packet);
            return !(pictureEnded && allSoundEnded());
        }
        for (PartSound& sound : sounds)
            if (packet->stream_index == sound.index) {
                if (soundBefore(sound, packet) || sound.ended)
                    break;
                if (soundPlaced)
                    takeSound(sound, packet);
                else
                    sound.waiting.emplace_back(allocated(av_packet_clone(packet)));
                break;
            }
        for (const TimedTrack& track : m_timed)
            if (packet->stream_index == track.streams[index]) {
                writeTimed(
                    track, packet, from, originIn(from),
                    end ? std::optional(av_rescale_q(*end, video->time_base, from->time_base))
                        : std::nullopt);
                break;
            }
        return !(pictureEnded && allSoundEnded());
    };
    PacketReader reader(context, input.facts.path, m_warn);
    bool reading = true;
    // The pictures of a clip encoded again to match come with its sound and subtitles read as far
    // as each, so that the file interleaves them as it does copied pictures. (A trimmed part's
    // few pictures encoded again before its copied ones must not let those in first.) Pictures
    // encoded with parameter sets of their own bring them; the clip's own come again before its
    // next keyframe.
    const auto takeEncodedPicture = [&](AVPacket* packet) {
        takePicture(packet);
        if (!input.match)
            return;
        const double reached = videoSeconds(m_videoEnd - m_partStart);
        while (reading && readUpTo < reached)
            reading = reader.next(takePacket);
    };
    const auto encodedAgain = [&](bool lead) {
        std::vector<std::uint8_t> clipSets;
        if (input.cutSettings.inBand)
            std::swap(clipSets, m_inBand);
        if (input.match && lead)
            encodeCut(input.facts.path, rate, input.cutSettings, part.start,
                      part.length ? part.end() : std::numeric_limits<double>::infinity(),
                      takeEncodedPicture, &*input.match);
        for (const PacketPtr& packet : m_cutPictures->take(index, lead))
            takeEncodedPicture(packet.get());
        if (input.cutSettings.inBand) {
            m_ownSetsInEffect = true;
            m_inBand = inBandParameterSets(nullptr, video->codecpar);
        }
    };
    if (input.copyFrom)
        encodedAgain(true);
    while (reading)
        reading = reader.next(takePacket);
    decodeTimes.finish();
    if (input.copyUntil)
        encodedAgain(false);
    if (!soundPlaced)
        placeSound();
    for (std::size_t t = 0; t < sounds.size(); ++t) {
        PartSound& sound = sounds[t];
        SoundTrack& track = *sound.track;
        if (sound.decoder)
            sound.decoder->finish();
        if (sound.matching) {
            sound.matching->endInput(m_videoEnd - m_partStart);
            sound.matching->finish();
            encodeToMatch(track, sound.matchingEncoder.get(), nullptr, input.facts.path);
            track.matching = nullptr;
        }
        if (track.timeline) {
            if (t == 0)
                m_partSoundStart = av_rescale_q(track.timeline->inputSoundStart(),
                                                AVRational{1, track.timeline->sampleRate()},
                                                m_videoStream->time_base);
            track.timeline->endInput(m_videoEnd);
            continue;
        }
        const std::int64_t partEnd =
            av_rescale_q(m_videoEnd, m_videoStream->time_base, soundSamples(track));
        // An input without this track has silence for its length.
        if (sound.index < 0 && partEnd > track.next)
            holdSilence(track, partEnd - track.next, input.facts.path, false);
        writeHeldAudio(track,
                       av_rescale_q(m_videoEnd, m_videoStream->time_base, track.stream->time_base),
                       true);
        if (t == 0 && m_partSoundStart)
            m_partSoundStart =
                av_rescale_q(*m_partSoundStart, soundSamples(track), m_videoStream->time_base);
    }
    // An input encoded again whose pictures cannot be decoded must not vanish from a join that
    // succeeds.
    if (m_framesWritten == framesBefore && input.match && !stopRequested())
        throw EncoderError{input.facts.path + " has no picture that can be decoded" +
                           (part.wholeInput() ? "." : " in the part asked for.")};
    if (m_framesWritten == framesBefore)
        return;
    const double start = videoSeconds(m_partStart);
    m_chapters.push_back(Chapter{start, input.facts.chapterName});
    // Copied sound keeps its input's offset; a part further in has its input's sound from its
    // start, or from where that sound begins.
    std::optional<double> ownOffset = 0.0;
    if (m_plan.audioCopied && (m_sound.empty() || !m_sound.front()->encoder)) {
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
    m_written.shapes.push_back(
        input.match ? PartShape{copiedReference(m_inputs).facts.rotation, input.match->pixelAspect}
                    : PartShape{input.facts.rotation, input.facts.pixelAspect});
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
    for (const auto& track : m_sound) {
        if (track->timeline)
            track->timeline->videoReached(dts);
        else if (track->matching)
            track->matching->videoReached(dts - m_partStart);
        if (!track->timeline)
            writeHeldAudio(*track, av_rescale_q(m_videoEnd, to, track->stream->time_base), false);
    }
}

void CopyJoin::holdAudio(SoundTrack& track, AVPacket* packet, AVRational timeBase, int frameSize,
                         std::int64_t origin, const std::string& path)
{
    // A packet lasts as long as what a player decodes of it, the codec's frame size: its own
    // length is rounded in a time base coarser than the samples, as Matroska's milliseconds, and
    // the last of a clip's is cut to the sound's end, which in the middle of a join would put
    // the next part's sound that much ahead by sample count.
    const AVRational to = soundSamples(track);
    std::int64_t duration = frameSize;
    if (duration <= 0)
        duration = packet->duration > 0 ? av_rescale_q(packet->duration, timeBase, to) : 1024;
    const std::int64_t partStart = av_rescale_q(m_partStart, m_videoStream->time_base, to);
    const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    const std::int64_t own =
        stamp == AV_NOPTS_VALUE
            ? std::max(track.next, partStart)
            : m_clockJumps->corrected(ClockJumps::Audio,
                                      partStart + av_rescale_q(stamp - origin, timeBase, to),
                                      track.next, to);
    // Mostly before the picture: the encoder's priming, or sound the picture does not have.
    if (own + duration / 2 < partStart)
        return;
    // Each packet follows the one before. Sound missing before it for longer than half a packet
    // is filled with silence, or else kept as a gap. So the sound never drifts from its own
    // times by more.
    if (own - track.next > duration / 2)
        holdSilence(track, own - track.next, path, hasAdtsHeader(packet));
    const std::int64_t position = own - track.next > duration / 2 ? own : track.next;
    track.next = position + duration;
    if (!m_partSoundStart && &track == m_sound.front().get())
        m_partSoundStart = position;
    PacketPtr held(allocated(av_packet_clone(packet)));
    // The priming a decoder skips belongs to the input's start, not to the middle of a join.
    av_packet_shrink_side_data(held.get(), AV_PKT_DATA_SKIP_SAMPLES, 0);
    held->pos = -1;
    held->stream_index = track.stream->index;
    track.held.push_back(HeldAudio{std::move(held), position, duration});
}

// Whole packets of silence, as many as fill the gap best; none when the codec's silence cannot
// be made, and then the gap stays.
void CopyJoin::holdSilence(SoundTrack& track, std::int64_t samples, const std::string& path,
                           bool adtsHeaders)
{
    if (!track.silenceTried) {
        track.silenceTried = true;
        track.silence = encodedSilence(track.stream->codecpar, adtsHeaders);
        if (!track.silence)
            m_warn("The gaps in the sound, the first in " + path +
                   ", cannot be filled with silence of its codec.");
    }
    if (!track.silence)
        return;
    const std::int64_t length = track.silence->duration;
    for (std::int64_t count = (samples + length / 2) / length; count > 0; --count) {
        PacketPtr held(allocated(av_packet_clone(track.silence.get())));
        held->pos = -1;
        held->stream_index = track.stream->index;
        track.held.push_back(HeldAudio{std::move(held), track.next, length});
        track.next += length;
    }
}

// Sound within the picture read so far goes out; at an input's end, a packet goes out when most
// of it lies within the picture, and the rest is dropped. end: in the track's time base.
void CopyJoin::writeHeldAudio(SoundTrack& track, std::int64_t end, bool partEnds)
{
    const AVRational samples = soundSamples(track);
    const AVRational out = track.stream->time_base;
    end = av_rescale_q(end, out, samples);
    while (!track.held.empty()) {
        HeldAudio& held = track.held.front();
        const bool within = held.position + (partEnds ? held.duration / 2 : held.duration) <= end;
        if (!within && !partEnds)
            return;
        if (!within) {
            track.next = held.position;
            track.held.clear();
            return;
        }
        // Each time from its own sample count, not from rounded lengths laid end to end.
        AVPacket* packet = held.packet.get();
        packet->pts = av_rescale_q(held.position, samples, out);
        packet->dts = packet->pts;
        packet->duration = av_rescale_q(held.position + held.duration, samples, out) - packet->pts;
        m_audioBytes += packet->size;
        write(packet);
        track.held.pop_front();
    }
}

// A subtitle or data packet within the part goes at its own time in it, cut at the part's end;
// a subtitle still shown at the part's start shows from there. Times in the input stream's time
// base; end: none to the input's end.
void CopyJoin::writeTimed(const TimedTrack& track, AVPacket* packet, const AVStream* from,
                          std::int64_t origin, std::optional<std::int64_t> end)
{
    std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    std::int64_t duration = packet->duration;
    if (stamp == AV_NOPTS_VALUE || (end && stamp >= *end))
        return;
    if (stamp < origin) {
        if (from->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE || duration <= 0 ||
            stamp + duration <= origin)
            return;
        duration -= origin - stamp;
        stamp = origin;
    }
    if (track.converter && !track.converter->convert(packet, from))
        return;
    if (end && duration > 0)
        duration = std::min(duration, *end - stamp);
    const AVRational to = track.stream->time_base;
    const std::int64_t start = av_rescale_q(m_partStart, m_videoStream->time_base, to) +
                               av_rescale_q(stamp - origin, from->time_base, to);
    packet->pts = start;
    packet->dts = start;
    packet->duration = duration > 0 ? av_rescale_q(duration, from->time_base, to) : 0;
    packet->pos = -1;
    packet->stream_index = track.stream->index;
    write(packet);
}

// The sound of a part encoded again to match its track goes in as the part's copied sound would.
void CopyJoin::encodeToMatch(SoundTrack& track, AVCodecContext* encoder, const AVFrame* frame,
                             const std::string& path)
{
    encodeFrame(encoder, frame, m_encodedPacket.get(), "Cannot encode the sound of " + path,
                [&](AVPacket* packet) {
                    holdAudio(track, packet, encoder->time_base, encoder->frame_size, 0, path);
                });
}

void CopyJoin::encodeAudio(SoundTrack& track, const AVFrame* frame)
{
    AVCodecContext* encoder = track.encoder.get();
    encodeFrame(encoder, frame, m_encodedPacket.get(), "Cannot encode " + m_path,
                [&](AVPacket* packet) {
                    m_audioBytes += packet->size;
                    av_packet_rescale_ts(packet, encoder->time_base, track.stream->time_base);
                    packet->stream_index = track.stream->index;
                    write(packet);
                });
}

void CopyJoin::write(AVPacket* packet)
{
    const auto index = static_cast<std::size_t>(packet->stream_index);
    if (index < m_soundOfStream.size() && m_soundOfStream[index])
        m_soundOfStream[index]->end =
            std::max(m_soundOfStream[index]->end, packet->pts + packet->duration);
    check(av_interleaved_write_frame(m_muxer.get(), packet), "Cannot write " + m_path);
}

bool CopyJoin::finish(Placement placement, const BeforePlacing& beforePlacing)
{
    for (const auto& track : m_sound)
        if (track->timeline) {
            track->timeline->finish();
            encodeAudio(*track, nullptr);
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

AVRational CopyJoin::soundSamples(const SoundTrack& track)
{
    return AVRational{1, track.stream->codecpar->sample_rate};
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
    if (!m_sound.empty())
        figures.audioPosition = m_sound.front()->end * av_q2d(m_sound.front()->stream->time_base);
    figures.audioMinusVideo = figures.audioPosition - figures.position;
    figures.fraction =
        m_plan.expectedDuration > 0 ? figures.position / m_plan.expectedDuration : 0.0;
    figures.fileBytes = m_muxer && m_muxer->pb ? avio_tell(m_muxer->pb) : 0;
    figures.videoBytes = m_videoBytes;
    figures.audioBytes = m_audioBytes;
    return figures;
}

} // namespace asapi
