#include "VideoNormaliser.h"

#include "StopSignal.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <string>

namespace asapi {
namespace {

FramePtr newPicture(int width, int height, AVPixelFormat format)
{
    FramePtr picture = makeFrame();
    picture->width = width;
    picture->height = height;
    picture->format = format;
    check(av_frame_get_buffer(picture.get(), 0), "Out of memory");
    return picture;
}

// Our encoders take planar pictures of one byte a sample, which are turned and placed plane by
// plane.
const AVPixFmtDescriptor* planarBytes(AVPixelFormat format, const char* work)
{
    const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(format);
    for (int c = 0; c < layout->nb_components; ++c)
        if (layout->comp[c].depth > 8 || layout->comp[c].step != 1)
            throw EncoderError{std::string("Cannot ") + work + " a picture in " + layout->name +
                               "."};
    return layout;
}

// The picture turned clockwise by a quarter, a half or three quarters.
FramePtr turned(const AVFrame& picture, int rotation)
{
    const auto format = static_cast<AVPixelFormat>(picture.format);
    const AVPixFmtDescriptor* layout = planarBytes(format, "turn");
    const bool quarter = rotation == 90 || rotation == 270;
    FramePtr result = newPicture(quarter ? picture.height : picture.width,
                                 quarter ? picture.width : picture.height, format);
    for (int plane = 0; plane < av_pix_fmt_count_planes(format); ++plane) {
        const bool chroma = plane == 1 || plane == 2;
        const int width =
            chroma ? AV_CEIL_RSHIFT(picture.width, layout->log2_chroma_w) : picture.width;
        const int height =
            chroma ? AV_CEIL_RSHIFT(picture.height, layout->log2_chroma_h) : picture.height;
        const std::uint8_t* from = picture.data[plane];
        const int fromStride = picture.linesize[plane];
        std::uint8_t* to = result->data[plane];
        const int toStride = result->linesize[plane];
        // Each row of the result, read from where it lies in the picture.
        for (int y = 0; y < (quarter ? width : height); ++y) {
            std::uint8_t* row = to + y * toStride;
            if (rotation == 90) // clockwise: the left column, bottom to top, is the top row
                for (int x = 0; x < height; ++x)
                    row[x] = from[(height - 1 - x) * fromStride + y];
            else if (rotation == 270) // the right column, top to bottom, is the top row
                for (int x = 0; x < height; ++x)
                    row[x] = from[x * fromStride + (width - 1 - y)];
            else // upside down: the bottom row, right to left, is the top row
                for (int x = 0; x < width; ++x)
                    row[x] = from[(height - 1 - y) * fromStride + (width - 1 - x)];
        }
    }
    return result;
}

// The picture inside a black one of width x height, its top left corner at x, y (even numbers).
FramePtr placed(const AVFrame& picture, int width, int height, int x, int y)
{
    const auto format = static_cast<AVPixelFormat>(picture.format);
    FramePtr result = newPicture(width, height, format);
    const std::ptrdiff_t linesizes[4] = {result->linesize[0], result->linesize[1],
                                         result->linesize[2], result->linesize[3]};
    check(av_image_fill_black(result->data, linesizes, format, AVCOL_RANGE_MPEG, width, height),
          "Cannot fill a picture with black");
    const AVPixFmtDescriptor* layout = planarBytes(format, "place");
    std::uint8_t* corner[4] = {};
    for (int plane = 0; plane < av_pix_fmt_count_planes(format); ++plane) {
        const bool chroma = plane == 1 || plane == 2;
        const int planeX = chroma ? x >> layout->log2_chroma_w : x;
        const int planeY = chroma ? y >> layout->log2_chroma_h : y;
        corner[plane] = result->data[plane] + planeY * result->linesize[plane] + planeX;
    }
    av_image_copy(corner, result->linesize, const_cast<const std::uint8_t**>(picture.data),
                  picture.linesize, format, picture.width, picture.height);
    return result;
}

} // namespace

VideoNormaliser::VideoNormaliser(const VideoTarget& target, const PictureLayout& layout,
                                 int rotation, double longestGap, Emit emit)
    : m_target(target), m_layout(layout), m_rotation(rotation),
      m_longestGap(std::max<std::int64_t>(1, std::llround(longestGap * target.frameRate.value()))),
      m_emit(std::move(emit))
{
}

void VideoNormaliser::prepareScaler(const AVFrame* decoded, int width, int height)
{
    m_scaler.reset(allocated(sws_alloc_context()));
    SwsContext* scaler = m_scaler.get();
    av_opt_set_int(scaler, "srcw", decoded->width, 0);
    av_opt_set_int(scaler, "srch", decoded->height, 0);
    av_opt_set_int(scaler, "src_format", decoded->format, 0);
    av_opt_set_int(scaler, "dstw", width, 0);
    av_opt_set_int(scaler, "dsth", height, 0);
    av_opt_set_int(scaler, "dst_format", m_target.pixelFormat, 0);
    av_opt_set_int(scaler, "sws_flags", SWS_BICUBIC, 0);
    check(sws_init_context(scaler, nullptr, nullptr), "Cannot set up the picture conversion");
    // The source's own colour matrix and range, as FFmpeg's scale filter takes them.
    int* sourceTable = nullptr;
    int* targetTable = nullptr;
    int sourceFull = 0, targetFull = 0, brightness = 0, contrast = 0, saturation = 0;
    sws_getColorspaceDetails(scaler, &sourceTable, &sourceFull, &targetTable, &targetFull,
                             &brightness, &contrast, &saturation);
    if (decoded->color_range != AVCOL_RANGE_UNSPECIFIED)
        sourceFull = decoded->color_range == AVCOL_RANGE_JPEG;
    sws_setColorspaceDetails(scaler, sws_getCoefficients(decoded->colorspace), sourceFull,
                             targetTable, targetFull, brightness, contrast, saturation);
    m_sourceWidth = decoded->width;
    m_sourceHeight = decoded->height;
    m_sourceFormat = decoded->format;
    m_sourceColours = {decoded->colorspace, decoded->color_range};
}

FramePtr VideoNormaliser::convert(const AVFrame* decoded)
{
    // A quarter turn comes after the scaling, on what is mostly the smaller picture.
    const bool quarter = m_rotation == 90 || m_rotation == 270;
    const int width = quarter ? m_layout.pictureHeight : m_layout.pictureWidth;
    const int height = quarter ? m_layout.pictureWidth : m_layout.pictureHeight;
    if (!m_scaler || decoded->width != m_sourceWidth || decoded->height != m_sourceHeight ||
        decoded->format != m_sourceFormat ||
        m_sourceColours != std::pair{decoded->colorspace, decoded->color_range})
        prepareScaler(decoded, width, height);
    FramePtr output = newPicture(width, height, m_target.pixelFormat);
    check(sws_scale_frame(m_scaler.get(), output.get(), decoded), "Cannot convert a picture");
    if (m_rotation == 90 || m_rotation == 180 || m_rotation == 270)
        output = turned(*output, m_rotation);
    if (!m_layout.fillsThePicture())
        output =
            placed(*output, m_layout.width, m_layout.height, m_layout.pictureX, m_layout.pictureY);
    check(av_frame_copy_props(output.get(), decoded), "Out of memory");
    output->color_range = AVCOL_RANGE_MPEG;
    output->sample_aspect_ratio = m_target.pixelAspect;
    output->pict_type = AV_PICTURE_TYPE_NONE;
    return output;
}

void VideoNormaliser::emitUntil(double seconds)
{
    auto slot =
        static_cast<std::int64_t>(std::llround(seconds * m_target.frameRate.value())) - m_cut;
    if (slot - m_emitted > m_longestGap) {
        m_cut += slot - m_emitted - m_longestGap;
        slot = m_emitted + m_longestGap;
    }
    while (m_emitted < slot && !stopRequested())
        emitPending();
}

void VideoNormaliser::emitPending()
{
    // Converted when first shown: a picture the output rate drops is never scaled.
    if (!m_pendingPicture)
        m_pendingPicture = convert(m_pending.get());
    m_emit(FramePtr(allocated(av_frame_clone(m_pendingPicture.get()))));
    ++m_emitted;
}

void VideoNormaliser::push(const AVFrame* decoded, double start, double duration)
{
    if (decoded->width <= 0 || decoded->height <= 0)
        return; // nothing a damaged packet left usable
    if (m_pending)
        emitUntil(start);
    m_pending.reset(allocated(av_frame_clone(decoded)));
    m_pendingPicture.reset();
    m_pendingEnd = start + duration;
}

void VideoNormaliser::finish()
{
    if (!m_pending)
        return;
    emitUntil(m_pendingEnd);
    // A picture shorter than a frame still shows once.
    if (m_emitted == 0)
        emitPending();
    m_pending.reset();
    m_pendingPicture.reset();
}

} // namespace asapi
