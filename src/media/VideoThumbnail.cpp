#include "VideoThumbnail.h"

#include "PictureTurn.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libswscale/swscale.h>
}

#include <QFile>
#include <QTransform>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>

namespace {

struct InputCloser
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer
{
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFreer
{
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;

int stopRequested(void* stop)
{
    return stop && static_cast<const std::atomic_bool*>(stop)->load() ? 1 : 0;
}

// The clockwise turn that shows the stored picture upright: 0, 90, 180 or 270.
int clockwiseTurn(const AVStream* video)
{
    const auto* matrix = reinterpret_cast<const int32_t*>(
        av_stream_get_side_data(video, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (!matrix)
        return 0;
    return vantomel::uprightTurn(av_display_rotation_get(matrix));
}

// The stored picture's size once its pixels are square, shrunk so that its upright turn fits
// the box.
QSize scaledStoredSize(const AVFrame& frame, AVRational pixelAspect, bool turned, QSize box)
{
    double width = frame.width;
    const double height = frame.height;
    if (pixelAspect.num > 0 && pixelAspect.den > 0)
        width *= av_q2d(pixelAspect);
    const double uprightWidth = turned ? height : width;
    const double uprightHeight = turned ? width : height;
    const double scale = std::min(box.width() / uprightWidth, box.height() / uprightHeight);
    return QSize(std::max(1, static_cast<int>(std::lround(width * scale))),
                 std::max(1, static_cast<int>(std::lround(height * scale))));
}

int64_t startOf(const AVStream* video)
{
    return video->start_time == AV_NOPTS_VALUE ? 0 : video->start_time;
}

// Where to take the picture from near the target: the keyframe nearest to it that the file's
// index names, so that a thumbnail costs one picture's decoding rather than a group's (a camera
// may put ten seconds between keyframes). Not the clip's first picture, which is often black,
// nor one past a third of the clip: none then, and the target itself is decoded up to. Times
// are in the stream's time base; the index's are decoding times.
std::optional<int64_t> nearestKeyframe(AVStream* video, int64_t length, int64_t target)
{
    const AVIndexEntry* first = avformat_index_get_entry(video, 0);
    if (!first)
        return std::nullopt;
    const AVIndexEntry* before =
        avformat_index_get_entry_from_timestamp(video, target, AVSEEK_FLAG_BACKWARD);
    const AVIndexEntry* after = avformat_index_get_entry_from_timestamp(video, target, 0);
    std::optional<int64_t> chosen;
    int64_t distance = std::numeric_limits<int64_t>::max();
    if (before && before->timestamp > first->timestamp) {
        chosen = before->timestamp;
        distance = target - before->timestamp;
    }
    if (after && after->timestamp - first->timestamp <= length / 3 &&
        after->timestamp - target < distance)
        chosen = after->timestamp;
    return chosen;
}

// Seeks to the keyframe before from and decodes forward to the first picture at or after the
// target; the last picture when the clip ends sooner. Both times are in the stream's time base.
// With seekFlags 0 the seek lands on the keyframe at or after from, and the picture is the
// first keyframe: pictures of an open group that precede it lack what they refer to.
FramePtr pictureAt(AVFormatContext* context, AVCodecContext* decoder, int videoIndex, int64_t from,
                   int64_t target, int seekFlags = AVSEEK_FLAG_BACKWARD)
{
    const bool keyframeWanted = seekFlags == 0;
    if (from != AV_NOPTS_VALUE && av_seek_frame(context, videoIndex, from, seekFlags) >= 0)
        avcodec_flush_buffers(decoder);
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    FramePtr last;
    bool draining = false;
    while (packet && frame) {
        const int received = avcodec_receive_frame(decoder, frame.get());
        if (received == 0) {
            const int64_t at = frame->best_effort_timestamp;
            if (keyframeWanted ? frame->key_frame != 0
                               : target == AV_NOPTS_VALUE || at == AV_NOPTS_VALUE || at >= target)
                return frame;
            last = std::move(frame);
            frame.reset(av_frame_alloc());
            continue;
        }
        if (received != AVERROR(EAGAIN) || draining)
            break;
        const int read = av_read_frame(context, packet.get());
        if (read == AVERROR_EXIT)
            return nullptr;
        if (read < 0) {
            draining = true;
            avcodec_send_packet(decoder, nullptr);
            continue;
        }
        if (packet->stream_index == videoIndex)
            avcodec_send_packet(decoder, packet.get()); // a damaged packet only costs a picture
        av_packet_unref(packet.get());
    }
    return last;
}

QImage toImage(const AVFrame& frame, QSize size)
{
    std::unique_ptr<SwsContext, ScalerFreer> scaler(sws_getContext(
        frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), size.width(),
        size.height(), AV_PIX_FMT_RGB32, SWS_AREA, nullptr, nullptr, nullptr));
    QImage image(size, QImage::Format_RGB32);
    if (!scaler || image.isNull())
        return {};
    uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int strides[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    if (sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) <= 0)
        return {};
    return image;
}

} // namespace

QImage decodeThumbnail(const QString& path, QSize box, const std::atomic_bool* stop)
{
    if (box.isEmpty() || (stop && *stop))
        return {};
    AVFormatContext* opened = avformat_alloc_context();
    if (!opened)
        return {};
    opened->interrupt_callback = {stopRequested, const_cast<std::atomic_bool*>(stop)};
    // A playlist inside the file may name other files, never anything on the network.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int openStatus =
        avformat_open_input(&opened, QFile::encodeName(path).constData(), nullptr, &options);
    av_dict_free(&options);
    if (openStatus < 0)
        return {}; // the context is freed on failure
    std::unique_ptr<AVFormatContext, InputCloser> context(opened);
    if (avformat_find_stream_info(context.get(), nullptr) < 0)
        return {};

    const AVCodec* codec = nullptr;
    const int videoIndex =
        av_find_best_stream(context.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (videoIndex < 0 || !codec)
        return {};
    AVStream* video = context->streams[videoIndex];
    std::unique_ptr<AVCodecContext, CodecFreer> decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), video->codecpar) < 0)
        return {};
    decoder->thread_count = 1; // thumbnails are decoded side by side already
    // On the way to the picture only what later pictures refer to is decoded, and a thumbnail
    // needs no deblocking.
    decoder->skip_frame = AVDISCARD_NONREF;
    decoder->skip_loop_filter = AVDISCARD_ALL;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return {};

    // A cover picture comes once, at the start.
    int64_t target = AV_NOPTS_VALUE;
    std::optional<int64_t> keyframe;
    if (!(video->disposition & AV_DISPOSITION_ATTACHED_PIC) && context->duration > 0) {
        const int64_t start = context->start_time == AV_NOPTS_VALUE ? 0 : context->start_time;
        target = av_rescale_q(start + context->duration / 10, AV_TIME_BASE_Q, video->time_base);
        keyframe = nearestKeyframe(
            video, av_rescale_q(context->duration, AV_TIME_BASE_Q, video->time_base), target);
    }
    // A seek backward from a keyframe's decoding time may land a keyframe early: its picture
    // time lies later. Forward, it lands on the keyframe itself, whose picture comes first.
    FramePtr frame =
        keyframe ? pictureAt(context.get(), decoder.get(), videoIndex, *keyframe, *keyframe, 0)
                 : pictureAt(context.get(), decoder.get(), videoIndex, target, target);
    // A seek may land past the only keyframe (a transport stream has no index): from the start.
    if (!frame && target != AV_NOPTS_VALUE && !(stop && *stop))
        frame = pictureAt(context.get(), decoder.get(), videoIndex, startOf(video), target);
    if (!frame || frame->width <= 0 || frame->height <= 0)
        return {};

    const int turn = clockwiseTurn(video);
    const AVRational pixelAspect = av_guess_sample_aspect_ratio(context.get(), video, frame.get());
    const QImage stored =
        toImage(*frame, scaledStoredSize(*frame, pixelAspect, turn == 90 || turn == 270, box));
    return turn == 0 || stored.isNull() ? stored : stored.transformed(QTransform().rotate(turn));
}
