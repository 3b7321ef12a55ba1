#include "VideoThumbnail.h"

#include "VideoInput.h"

#include <limits>
#include <optional>

using namespace media;

namespace {

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

} // namespace

QImage decodeThumbnail(const QString& path, QSize box, const std::atomic_bool* stop)
{
    if (box.isEmpty())
        return {};
    const std::unique_ptr<VideoInput> input =
        VideoInput::open(path, stop, [](AVCodecContext& decoder) {
            decoder.thread_count = 1; // thumbnails are decoded side by side already
            // On the way to the picture only what later pictures refer to is decoded, and a
            // thumbnail needs no deblocking.
            decoder.skip_frame = AVDISCARD_NONREF;
            decoder.skip_loop_filter = AVDISCARD_ALL;
        });
    if (!input)
        return {};
    AVFormatContext* context = input->format();
    AVStream* video = input->video();
    const int videoIndex = input->videoIndex();

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
    FramePtr frame = keyframe
                         ? pictureAt(context, input->decoder(), videoIndex, *keyframe, *keyframe, 0)
                         : pictureAt(context, input->decoder(), videoIndex, target, target);
    // A seek may land past the only keyframe (a transport stream has no index): from the start.
    if (!frame && target != AV_NOPTS_VALUE && !(stop && *stop))
        frame = pictureAt(context, input->decoder(), videoIndex, startOf(video), target);
    if (!frame || frame->width <= 0 || frame->height <= 0)
        return {};
    return input->shownPicture(*frame, box, SWS_AREA);
}
