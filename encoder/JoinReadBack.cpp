#include "JoinReadBack.h"

#include "FileIo.h"
#include "InputProbe.h"
#include "StreamDecoder.h"

extern "C" {
#include <libavutil/intreadwrite.h>
}

#include <algorithm>
#include <cmath>

namespace asapi {
namespace {

// Pictures of each part looked at: enough to see two shown at once.
constexpr int kPicturesPerPart = 4;
// Pictures decoded at each seam of a copy: its keyframe, with the parameter sets it needs, and
// one that refers to it. A keyframe of a large picture takes milliseconds.
constexpr int kDecodedPerSeam = 2;
// The part's first sound is looked for this far beyond its start; none there is no sound.
constexpr double kSoundWindow = 2.0;
// Read from this far before the picture's end to find both tracks' ends.
constexpr double kEndWindow = 3.0;
// A bound on the packets read around one seam: a re-encoded output's keyframes may lie seconds
// before it.
constexpr int kPacketLimit = 4000;

// What the file shows at one part's start.
struct PartStart
{
    std::optional<double> picture; // the first picture shown from the part's start on
    std::optional<double> sound;   // the first sound sample from there on
    bool shownTwice = false;
    bool decodes = true;
};

class OutputReader
{
public:
    OutputReader(const std::string& readablePath, const std::string& name)
        : m_file(readablePath), m_packet(makePacket())
    {
        AVFormatContext* raw = allocated(avformat_alloc_context());
        raw->pb = m_file.context();
        if (avformat_open_input(&raw, name.c_str(), nullptr, nullptr) < 0)
            return;
        m_context.reset(raw);
        // MPEG program streams name their tracks only as their packets come; the other
        // containers say in their header all that is asked here.
        if ((raw->ctx_flags & AVFMTCTX_NOHEADER) && avformat_find_stream_info(raw, nullptr) < 0)
            return;
        m_video = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        m_audio = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, m_video, nullptr, 0);
        for (int stream = 0; stream < static_cast<int>(raw->nb_streams); ++stream)
            if (stream != m_audio &&
                raw->streams[stream]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
                m_otherSound.push_back(stream);
        if (m_video < 0)
            return;
        const AVStream* video = raw->streams[m_video];
        const AVRational rate =
            video->avg_frame_rate.num > 0 ? video->avg_frame_rate : video->r_frame_rate;
        m_frame = rate.num > 0 ? av_q2d(av_inv_q(rate)) : 1.0 / 25;
    }

    bool isOpen() const { return m_context && m_video >= 0; }
    AVFormatContext* context() const { return m_context.get(); }
    AVStream* video() const { return m_context->streams[m_video]; }
    bool hasAudio() const { return m_audio >= 0; }

    // Reads on from where the file stands at `at` seconds; the part starts there.
    PartStart partStart(double at, AVCodecContext* decoder)
    {
        PartStart found;
        std::vector<double> pictures;
        int picturesFromStart = 0;
        int sent = 0;
        double lastVideo = -1e9;
        double lastAudio = -1e9;
        for (int packets = 0; packets < kPacketLimit; ++packets) {
            const bool enoughPictures =
                picturesFromStart >= kPicturesPerPart || lastVideo > at + kSoundWindow;
            const bool enoughSound = !hasAudio() || found.sound || lastAudio > at + kSoundWindow;
            if ((enoughPictures && enoughSound) || !readPacket())
                break;
            AVPacket* packet = m_packet.get();
            const AVStream* stream = m_context->streams[packet->stream_index];
            const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (stamp == AV_NOPTS_VALUE || (packet->flags & AV_PKT_FLAG_DISCARD))
                continue;
            const double start = stamp * av_q2d(stream->time_base);
            if (packet->stream_index == m_video) {
                lastVideo = start;
                // From the seam's own keyframe on, a frame of rounding allowed: the seek may land
                // on one before it.
                const bool seamKeyframe =
                    (packet->flags & AV_PKT_FLAG_KEY) && start >= at - m_frame;
                if (decoder && sent < kDecodedPerSeam && (sent > 0 || seamKeyframe)) {
                    ++sent;
                    found.decodes = decodes(decoder, packet) && found.decodes;
                }
                // Only a picture's own showing time tells when it is shown.
                if (packet->pts == AV_NOPTS_VALUE || start < at - m_frame / 2)
                    continue;
                pictures.push_back(start);
                ++picturesFromStart;
            } else if (packet->stream_index == m_audio) {
                const double soundStart = start + skippedSeconds(packet, stream);
                lastAudio = soundStart;
                // A part's sound begins with a packet mostly within its picture. The packet
                // before a gap lasts until the gap's end, so its own length is not used.
                if (!found.sound && soundStart >= at - packetSeconds(packet, stream) / 2 &&
                    soundStart <= at + kSoundWindow)
                    found.sound = soundStart;
            }
        }
        if (decoder) {
            found.decodes = decodes(decoder, nullptr) && found.decodes && m_decodedPictures > 0;
            avcodec_flush_buffers(decoder);
            m_decodedPictures = 0;
        }
        std::sort(pictures.begin(), pictures.end());
        if (!pictures.empty())
            found.picture = pictures.front();
        for (std::size_t i = 1; i < pictures.size(); ++i)
            found.shownTwice = found.shownTwice || pictures[i] - pictures[i - 1] < m_frame / 4;
        return found;
    }

    bool seek(double at)
    {
        // A quarter of a frame on, so that a picture at `at` itself is not missed for rounding.
        const std::int64_t target =
            static_cast<std::int64_t>(std::floor((at + m_frame / 4) / av_q2d(video()->time_base)));
        return av_seek_frame(m_context.get(), m_video, target, AVSEEK_FLAG_BACKWARD) >= 0;
    }

    // Each track's end, read from a little before the picture's expected end; from the start
    // when a track has nothing there, as one that ends far too early.
    void ends(double videoEnd, std::optional<double>& video, std::optional<double>& audio,
              std::vector<std::optional<double>>& otherSound)
    {
        for (const double from : {std::max(0.0, videoEnd - kEndWindow), 0.0}) {
            video.reset();
            audio.reset();
            otherSound.assign(m_otherSound.size(), std::nullopt);
            if (!seek(from))
                continue;
            while (readPacket(true)) {
                const AVPacket* packet = m_packet.get();
                const AVStream* stream = m_context->streams[packet->stream_index];
                const std::int64_t stamp =
                    packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
                if (stamp == AV_NOPTS_VALUE || (packet->flags & AV_PKT_FLAG_DISCARD))
                    continue;
                const double end = (stamp + packet->duration) * av_q2d(stream->time_base);
                const auto other =
                    std::find(m_otherSound.begin(), m_otherSound.end(), packet->stream_index);
                std::optional<double>& track = packet->stream_index == m_video ? video
                                               : packet->stream_index == m_audio
                                                   ? audio
                                                   : otherSound[other - m_otherSound.begin()];
                track = std::max(track.value_or(end), end);
            }
            if (video && (audio || !hasAudio()) &&
                std::all_of(otherSound.begin(), otherSound.end(),
                            [](const auto& end) { return end.has_value(); }))
                return;
        }
    }

private:
    // Only the tracks looked at are read: the picture and the sound, and with otherSound the
    // further sound tracks.
    bool readPacket(bool otherSound = false)
    {
        AVPacket* packet = m_packet.get();
        while (true) {
            av_packet_unref(packet);
            if (av_read_frame(m_context.get(), packet) < 0)
                return false;
            if (packet->stream_index == m_video || packet->stream_index == m_audio ||
                (otherSound && std::find(m_otherSound.begin(), m_otherSound.end(),
                                         packet->stream_index) != m_otherSound.end()))
                return true;
        }
    }

    // The length of the track's packets: the codec's frame, or the shortest packet yet.
    double packetSeconds(const AVPacket* packet, const AVStream* stream)
    {
        const AVCodecParameters* codec = stream->codecpar;
        if (codec->frame_size > 0 && codec->sample_rate > 0)
            return codec->frame_size / static_cast<double>(codec->sample_rate);
        const double own = packet->duration * av_q2d(stream->time_base);
        if (own > 0)
            m_soundPacket = std::min(m_soundPacket.value_or(own), own);
        return m_soundPacket.value_or(0.0);
    }

    // The priming at a track's start that a player does not play.
    static double skippedSeconds(const AVPacket* packet, const AVStream* stream)
    {
        std::size_t size = 0;
        const std::uint8_t* skip = av_packet_get_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
        if (!skip || size < 4 || stream->codecpar->sample_rate <= 0)
            return 0.0;
        return AV_RL32(skip) / static_cast<double>(stream->codecpar->sample_rate);
    }

    bool decodes(AVCodecContext* decoder, const AVPacket* packet)
    {
        bool clean = avcodec_send_packet(decoder, packet) >= 0;
        const FramePtr frame = makeFrame();
        while (true) {
            const int received = avcodec_receive_frame(decoder, frame.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return clean;
            if (received < 0)
                return false;
            // A seam opens with a keyframe: a first picture that is none leans on pictures
            // that are not there.
            clean = clean && frame->decode_error_flags == 0 &&
                    !(frame->flags & AV_FRAME_FLAG_CORRUPT) &&
                    (m_decodedPictures > 0 || frame->key_frame);
            ++m_decodedPictures;
            av_frame_unref(frame.get());
        }
    }

    InputFile m_file;
    InputContextPtr m_context;
    PacketPtr m_packet;
    int m_video = -1;
    int m_audio = -1;
    std::vector<int> m_otherSound; // the further sound tracks, whose ends are read too
    double m_frame = 1.0 / 25;     // seconds
    int m_decodedPictures = 0;
    std::optional<double> m_soundPacket; // seconds
};

// The decoder that sees each seam as a player would meet it: strict, so that an error is an
// error; on one thread, so that nothing waits on other threads; without the loop filter, which
// finds no error and costs a fifth of the time.
CodecContextPtr seamDecoder(const AVStream* video)
{
    const AVCodec* codec = avcodec_find_decoder(video->codecpar->codec_id);
    if (!codec)
        return nullptr;
    CodecContextPtr context(allocated(avcodec_alloc_context3(codec)));
    if (avcodec_parameters_to_context(context.get(), video->codecpar) < 0)
        return nullptr;
    context->pkt_timebase = video->time_base;
    context->thread_count = 1;
    context->err_recognition |= AV_EF_EXPLODE;
    context->skip_loop_filter = AVDISCARD_ALL;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return nullptr;
    return context;
}

void checkShape(const OutputReader& reader, const WrittenJoin& written,
                std::vector<PartFault>& faults)
{
    AVStream* video = reader.video();
    const int rotation = rotationFromDisplayMatrix(reinterpret_cast<const int32_t*>(
        av_stream_get_side_data(video, AV_PKT_DATA_DISPLAYMATRIX, nullptr)));
    const bool turned = rotation == 90 || rotation == 270;
    const AVRational sar = av_guess_sample_aspect_ratio(reader.context(), video, nullptr);
    double pixelAspect = 1.0;
    if (sar.num > 0 && sar.den > 0)
        pixelAspect = turned ? av_q2d(av_inv_q(sar)) : av_q2d(sar);
    for (std::size_t i = 0; i < written.shapes.size(); ++i) {
        const PartShape& shape = written.shapes[i];
        const int part = static_cast<int>(i) + 1;
        const double at = i == 0 ? 0.0 : written.joins.at(i - 1).start;
        // One finding for the whole output: it has one header.
        if (shape.rotation != rotation) {
            faults.push_back(PartFault{PartFault::Kind::Rotation, part, at,
                                       static_cast<double>(shape.rotation),
                                       static_cast<double>(rotation)});
            return;
        }
        if (std::abs(shape.pixelAspect / pixelAspect - 1.0) > 0.01) {
            faults.push_back(
                PartFault{PartFault::Kind::PixelShape, part, at, shape.pixelAspect, pixelAspect});
            return;
        }
    }
}

} // namespace

ReadBackReport readJoinBack(const std::string& readablePath, const std::string& outputName,
                            const WrittenJoin& written)
{
    ReadBackReport report;
    report.joins = written.joins;
    report.clipsLength = written.clipsLength;
    try {
        OutputReader reader(readablePath, outputName);
        if (!reader.isOpen())
            return report;
        checkShape(reader, written, report.faults);

        const PartStart first = reader.partStart(0.0, nullptr);
        // Where the file's time line has the output's start: MPEG streams begin later.
        const double origin = std::max(0.0, first.picture.value_or(0.0));
        const CodecContextPtr decoder =
            written.decodeSeams ? seamDecoder(reader.video()) : CodecContextPtr();
        for (JoinPoint& join : report.joins) {
            PartStart found;
            if (reader.seek(origin + join.start))
                found = reader.partStart(origin + join.start, decoder.get());
            else
                found.decodes = !decoder;
            if (found.picture && found.sound)
                join.audioOffset = *found.sound - *found.picture;
            else if (found.picture && reader.hasAudio() && join.clipOffset)
                join.audioOffset = kSoundWindow; // the part's sound is not there at all
            if (!found.decodes)
                report.faults.push_back(
                    PartFault{PartFault::Kind::Undecodable, join.part, join.start, 0, 0});
            if (found.shownTwice)
                report.faults.push_back(
                    PartFault{PartFault::Kind::ShownTwice, join.part, join.start, 0, 0});
        }

        for (const PictureCut& cut : decoder ? written.cuts : std::vector<PictureCut>{})
            if (!reader.seek(origin + cut.at) ||
                !reader.partStart(origin + cut.at, decoder.get()).decodes)
                report.faults.push_back(
                    PartFault{PartFault::Kind::Undecodable, cut.part, cut.at, 0, 0});

        std::optional<double> videoEnd;
        std::optional<double> audioEnd;
        reader.ends(origin + written.videoEnd, videoEnd, audioEnd, report.otherSoundEnds);
        // Without the picture's end nothing is known of the lengths.
        report.read = videoEnd.has_value();
        if (videoEnd)
            report.video = TrackSpan{first.picture.value_or(0.0), *videoEnd};
        if (audioEnd)
            report.audio = TrackSpan{first.sound.value_or(0.0), *audioEnd};
    } catch (const EncoderError&) {
        // A file that cannot be opened again is left to the program's own look at it.
        report.joins = written.joins;
        report.read = false;
    }
    return report;
}

} // namespace asapi
