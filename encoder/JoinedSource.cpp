#include "JoinedSource.h"

#include "StopSignal.h"

#include <cstdio>
#include <functional>
#include <limits>
#include <optional>

namespace asapi {
namespace {

// After this many unreadable packets in a row the rest of the input is given up.
constexpr int readFailureLimit = 1000;

// Frame threads pay for the costly decoders. The MPEG-1, MPEG-2, MPEG-4 Part 2 (our own
// intermediates among them) and Windows Media decoders keep ahead of the encoder on one thread,
// and more threads only add the work of handing pictures over.
int decoderThreadsFor(AVCodecID codec)
{
    switch (codec) {
    case AV_CODEC_ID_H264:
    case AV_CODEC_ID_HEVC:
    case AV_CODEC_ID_VP8:
    case AV_CODEC_ID_VP9:
    case AV_CODEC_ID_AV1:
        return 0; // FFmpeg's choice
    default:
        return 1;
    }
}

// threads 0: as many as pay for the stream's codec
CodecContextPtr openDecoder(const AVStream* stream, int threads)
{
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return nullptr;
    CodecContextPtr context(avcodec_alloc_context3(decoder));
    if (!context || avcodec_parameters_to_context(context.get(), stream->codecpar) < 0)
        return nullptr;
    context->pkt_timebase = stream->time_base;
    context->thread_count = threads > 0 ? threads : decoderThreadsFor(stream->codecpar->codec_id);
    if (avcodec_open2(context.get(), decoder, nullptr) < 0)
        return nullptr;
    return context;
}

// The time of a decoded frame, carried on from the previous one when the stream has none. A jump
// back is a restarted or broken clock (VOB files put together, damage), and so is a jump far
// ahead in formats whose clock may restart; the stream carries on where it was. Elsewhere a jump
// ahead is a pause, as in a screen recording that only writes pictures that change.
class FrameClock
{
public:
    FrameClock(AVRational timeBase, std::int64_t origin, bool clockMayRestart)
        : m_timeBase(timeBase), m_origin(origin),
          m_jumpAhead(clockMayRestart ? 10.0 : std::numeric_limits<double>::infinity())
    {
    }

    double start(const AVFrame* frame, double fallbackDuration)
    {
        const std::int64_t timestamp = frame->best_effort_timestamp;
        if (timestamp != AV_NOPTS_VALUE) {
            double stamped = (timestamp - m_origin) * av_q2d(m_timeBase) + m_shift;
            if (m_started && (stamped < m_next - jumpBack || stamped > m_next + m_jumpAhead)) {
                m_shift += m_next - stamped;
                stamped = m_next;
            }
            m_next = stamped;
        }
        m_started = true;
        const double start = m_next;
        m_next = start + duration(frame, fallbackDuration);
        return start;
    }

    double duration(const AVFrame* frame, double fallback) const
    {
        return frame->pkt_duration > 0 ? frame->pkt_duration * av_q2d(m_timeBase) : fallback;
    }

private:
    static constexpr double jumpBack = 0.5; // seconds

    AVRational m_timeBase;
    std::int64_t m_origin;
    double m_jumpAhead;
    double m_shift = 0.0;
    double m_next = 0.0;
    bool m_started = false;
};

// One stream's decoder: packets in, timed frames out to the handler; damaged packets and
// frames are passed over with a warning.
class StreamDecoder
{
public:
    using Handler = std::function<void(const AVFrame*, double start, double duration)>;

    StreamDecoder(CodecContextPtr decoder, FrameClock clock, double fallbackDuration,
                  const std::string& path, Handler handler)
        : m_decoder(std::move(decoder)), m_clock(clock), m_fallbackDuration(fallbackDuration),
          m_path(path), m_handler(std::move(handler)), m_frame(makeFrame())
    {
    }

    // nullptr drains the decoder at the end.
    void decode(const AVPacket* packet)
    {
        int sent = avcodec_send_packet(m_decoder.get(), packet);
        if (sent == AVERROR(EAGAIN)) {
            drain();
            sent = avcodec_send_packet(m_decoder.get(), packet);
        }
        if (sent < 0 && sent != AVERROR_EOF)
            std::fprintf(stderr, "Skipping a damaged packet in %s: %s.\n", m_path.c_str(),
                         errorText(sent).c_str());
        drain();
    }

private:
    void drain()
    {
        while (true) {
            const int received = avcodec_receive_frame(m_decoder.get(), m_frame.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return;
            if (received < 0) {
                std::fprintf(stderr, "Skipping a damaged frame in %s.\n", m_path.c_str());
                return;
            }
            const double fallback = m_frame->sample_rate > 0
                                        ? m_frame->nb_samples / double(m_frame->sample_rate)
                                        : m_fallbackDuration;
            const double start = m_clock.start(m_frame.get(), fallback);
            m_handler(m_frame.get(), start, m_clock.duration(m_frame.get(), fallback));
            av_frame_unref(m_frame.get());
        }
    }

    CodecContextPtr m_decoder;
    FrameClock m_clock;
    double m_fallbackDuration;
    const std::string& m_path;
    Handler m_handler;
    FramePtr m_frame;
};

} // namespace

JoinedSource::JoinedSource(const std::vector<InputFacts>& inputs, const VideoTarget& video,
                           const AudioTarget& audio, int decoderThreads, FrameQueue& queue)
    : m_inputs(inputs), m_videoTarget(video), m_decoderThreads(decoderThreads), m_queue(queue),
      m_audio(audio, [this](FramePtr frame) { send(FrameKind::Audio, std::move(frame)); })
{
}

void JoinedSource::send(FrameKind kind, FramePtr frame)
{
    if (!m_queue.push(QueuedFrame{kind, std::move(frame)}))
        throw WriterGone{};
}

void JoinedSource::run()
{
    for (const auto& input : m_inputs) {
        if (stopRequested())
            break;
        readInput(input);
    }
    m_audio.finish();
}

void JoinedSource::readInput(const InputFacts& input)
{
    OpenedInput opened = openInput(input.path);
    AVFormatContext* context = opened.context.get();
    const int videoIndex = opened.videoIndex;
    int audioIndex = opened.audioIndex;
    for (unsigned i = 0; i < context->nb_streams; ++i)
        if (static_cast<int>(i) != videoIndex && static_cast<int>(i) != audioIndex)
            context->streams[i]->discard = AVDISCARD_ALL;

    const AVStream* videoStream = context->streams[videoIndex];
    CodecContextPtr videoCodec = openDecoder(videoStream, m_decoderThreads);
    if (!videoCodec)
        throw EncoderError{"Failed to open " + input.path + ".\nCannot open file/device."};
    CodecContextPtr audioCodec;
    if (audioIndex >= 0 &&
        !(audioCodec = openDecoder(context->streams[audioIndex], m_decoderThreads))) {
        std::fprintf(stderr, "No usable audio in %s; using silence.\n", input.path.c_str());
        audioIndex = -1;
    }

    // Sound and picture are measured from the picture's start.
    std::int64_t videoOrigin = videoStream->start_time;
    if (videoOrigin == AV_NOPTS_VALUE)
        videoOrigin =
            context->start_time == AV_NOPTS_VALUE
                ? 0
                : av_rescale_q(context->start_time, AV_TIME_BASE_Q, videoStream->time_base);
    const bool clockMayRestart = context->iformat->flags & AVFMT_TS_DISCONT;

    m_audio.beginInput(audioIndex >= 0, m_videoFrames);
    VideoNormaliser video(m_videoTarget, input.rotation, [this](FramePtr frame) {
        frame->pts = m_videoFrames++;
        send(FrameKind::Video, std::move(frame));
        m_audio.videoReached(m_videoFrames);
    });
    StreamDecoder videoDecoder(std::move(videoCodec),
                               FrameClock(videoStream->time_base, videoOrigin, clockMayRestart),
                               1.0 / input.frameRate.value(), input.path,
                               [&video](const AVFrame* frame, double start, double duration) {
                                   video.push(frame, start, duration);
                               });
    std::optional<StreamDecoder> audioDecoder;
    if (audioIndex >= 0) {
        const AVRational timeBase = context->streams[audioIndex]->time_base;
        audioDecoder.emplace(
            std::move(audioCodec),
            FrameClock(timeBase, av_rescale_q(videoOrigin, videoStream->time_base, timeBase),
                       clockMayRestart),
            0.0, input.path,
            [this](const AVFrame* frame, double start, double) { m_audio.push(frame, start); });
    }

    PacketPtr packet(av_packet_alloc());
    int failuresInRow = 0;
    while (!stopRequested()) {
        const int read = av_read_frame(context, packet.get());
        if (read == AVERROR_EOF || (read < 0 && avio_feof(context->pb)))
            break;
        if (read < 0) {
            if (++failuresInRow >= readFailureLimit) {
                std::fprintf(stderr, "Giving up the rest of %s: %s.\n", input.path.c_str(),
                             errorText(read).c_str());
                break;
            }
            continue;
        }
        failuresInRow = 0;
        if (packet->stream_index == videoIndex)
            videoDecoder.decode(packet.get());
        else if (packet->stream_index == audioIndex)
            audioDecoder->decode(packet.get());
        av_packet_unref(packet.get());
    }
    videoDecoder.decode(nullptr);
    if (audioDecoder)
        audioDecoder->decode(nullptr);
    video.finish();
    m_audio.endInput(m_videoFrames);
}

} // namespace asapi
