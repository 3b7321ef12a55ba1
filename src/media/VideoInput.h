#pragma once

// The FFmpeg side shared by the media subsystem's readers: a video file opened once with its
// best video stream's decoder, and its pictures made upright, in their shown shape and scaled.
// Included only inside src/media, which links the FFmpeg libraries.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

namespace media {

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
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;

class VideoInput
{
public:
    // Sets the decoder's options before it is opened.
    using Tuning = std::function<void(AVCodecContext& decoder)>;

    // Null when the file cannot be read, has no decodable video, or stop became true meanwhile.
    // Reading checks stop throughout, so that a worker quits a large file at once.
    static std::unique_ptr<VideoInput> open(const QString& path, const std::atomic_bool* stop,
                                            const Tuning& tuning);

    AVFormatContext* format() const { return m_format.get(); }
    AVCodecContext* decoder() const { return m_decoder.get(); }
    AVStream* video() const { return m_video; }
    int videoIndex() const { return m_videoIndex; }
    // The clockwise turn, 0, 90, 180 or 270, that shows the stream's pictures upright.
    int turn() const { return m_turn; }

    // The picture upright and in its shown shape (its pixels' aspect applied), fitted into box.
    // scalerFlags are libswscale's (SWS_AREA, SWS_BILINEAR); a reader that scales every picture
    // keeps one scaler across calls in cachedScaler. Null when it cannot be converted.
    QImage shownPicture(const AVFrame& frame, QSize box, int scalerFlags,
                        SwsContext** cachedScaler = nullptr) const;

private:
    VideoInput() = default;

    std::unique_ptr<AVFormatContext, InputCloser> m_format;
    std::unique_ptr<AVCodecContext, CodecFreer> m_decoder;
    AVStream* m_video = nullptr;
    int m_videoIndex = -1;
    int m_turn = 0;
};

} // namespace media
