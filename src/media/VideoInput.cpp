#include "VideoInput.h"

#include "PictureTurn.h"

extern "C" {
#include <libavutil/display.h>
}

#include <QFile>
#include <QTransform>

#include <cmath>

namespace media {

namespace {

int stopRequested(void* stop)
{
    return stop && static_cast<const std::atomic_bool*>(stop)->load() ? 1 : 0;
}

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

} // namespace

std::unique_ptr<VideoInput> VideoInput::open(const QString& path, const std::atomic_bool* stop,
                                             const Tuning& tuning)
{
    if (stop && *stop)
        return nullptr;
    AVFormatContext* opened = avformat_alloc_context();
    if (!opened)
        return nullptr;
    opened->interrupt_callback = {stopRequested, const_cast<std::atomic_bool*>(stop)};
    // A playlist inside the file may name other files, never anything on the network.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int openStatus =
        avformat_open_input(&opened, QFile::encodeName(path).constData(), nullptr, &options);
    av_dict_free(&options);
    if (openStatus < 0)
        return nullptr; // the context is freed on failure
    std::unique_ptr<VideoInput> input(new VideoInput);
    input->m_format.reset(opened);
    if (avformat_find_stream_info(opened, nullptr) < 0)
        return nullptr;

    const AVCodec* codec = nullptr;
    input->m_videoIndex = av_find_best_stream(opened, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (input->m_videoIndex < 0 || !codec)
        return nullptr;
    input->m_video = opened->streams[input->m_videoIndex];
    input->m_turn = clockwiseTurn(input->m_video);
    input->m_decoder.reset(avcodec_alloc_context3(codec));
    AVCodecContext* decoder = input->m_decoder.get();
    if (!decoder || avcodec_parameters_to_context(decoder, input->m_video->codecpar) < 0)
        return nullptr;
    if (tuning)
        tuning(*decoder);
    if (avcodec_open2(decoder, codec, nullptr) < 0)
        return nullptr;
    return input;
}

QImage VideoInput::shownPicture(const AVFrame& frame, QSize box, int scalerFlags,
                                SwsContext** cachedScaler) const
{
    if (box.isEmpty() || frame.width <= 0 || frame.height <= 0)
        return {};
    const AVRational pixelAspect =
        av_guess_sample_aspect_ratio(m_format.get(), m_video, const_cast<AVFrame*>(&frame));
    const QSize size = scaledStoredSize(frame, pixelAspect, m_turn == 90 || m_turn == 270, box);
    std::unique_ptr<SwsContext, ScalerFreer> ownScaler;
    SwsContext* scaler = nullptr;
    const auto format = static_cast<AVPixelFormat>(frame.format);
    if (cachedScaler) {
        scaler = *cachedScaler = sws_getCachedContext(
            *cachedScaler, frame.width, frame.height, format, size.width(), size.height(),
            AV_PIX_FMT_RGB32, scalerFlags, nullptr, nullptr, nullptr);
    } else {
        ownScaler.reset(sws_getContext(frame.width, frame.height, format, size.width(),
                                       size.height(), AV_PIX_FMT_RGB32, scalerFlags, nullptr,
                                       nullptr, nullptr));
        scaler = ownScaler.get();
    }
    QImage stored(size, QImage::Format_RGB32);
    if (!scaler || stored.isNull())
        return {};
    uint8_t* planes[4] = {stored.bits(), nullptr, nullptr, nullptr};
    const int strides[4] = {static_cast<int>(stored.bytesPerLine()), 0, 0, 0};
    if (sws_scale(scaler, frame.data, frame.linesize, 0, frame.height, planes, strides) <= 0)
        return {};
    return m_turn == 0 ? stored : stored.transformed(QTransform().rotate(m_turn));
}

} // namespace media
