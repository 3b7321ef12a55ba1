#include "VideoNormaliser.h"

#include "StopSignal.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <string>

namespace asapi {
namespace {

std::string rotationFilters(int rotation)
{
    switch (rotation) {
    case 90:
        return "transpose=clock,";
    case 180:
        return "hflip,vflip,";
    case 270:
        return "transpose=cclock,";
    default:
        return "";
    }
}

struct InOutDeleter
{
    void operator()(AVFilterInOut* inOut) const { avfilter_inout_free(&inOut); }
};

} // namespace

VideoNormaliser::VideoNormaliser(const VideoTarget& target, int rotation, double longestGap,
                                 Emit emit)
    : m_target(target), m_rotation(rotation),
      m_longestGap(std::max<std::int64_t>(1, std::llround(longestGap * target.frameRate.value()))),
      m_emit(std::move(emit))
{
}

void VideoNormaliser::buildGraph(const AVFrame* decoded)
{
    m_graph.reset(avfilter_graph_alloc());
    if (!m_graph)
        throw EncoderError{"Out of memory."};
    m_graph->scale_sws_opts = av_strdup("flags=bicubic");
    const AVRational sar =
        decoded->sample_aspect_ratio.num > 0 ? decoded->sample_aspect_ratio : AVRational{1, 1};
    const std::string sourceArguments =
        "video_size=" + std::to_string(decoded->width) + "x" + std::to_string(decoded->height) +
        ":pix_fmt=" + std::to_string(decoded->format) +
        ":time_base=1/1:pixel_aspect=" + std::to_string(sar.num) + "/" + std::to_string(sar.den);
    check(avfilter_graph_create_filter(&m_source, avfilter_get_by_name("buffer"), "in",
                                       sourceArguments.c_str(), nullptr, m_graph.get()),
          "Cannot set up the picture conversion");
    check(avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("buffersink"), "out", nullptr,
                                       nullptr, m_graph.get()),
          "Cannot set up the picture conversion");

    const std::string chain = rotationFilters(m_rotation) +
                              "scale=" + std::to_string(m_target.width) + ":" +
                              std::to_string(m_target.height) +
                              ",format=pix_fmts=" + av_get_pix_fmt_name(m_target.pixelFormat);
    std::unique_ptr<AVFilterInOut, InOutDeleter> outputs(avfilter_inout_alloc());
    std::unique_ptr<AVFilterInOut, InOutDeleter> inputs(avfilter_inout_alloc());
    outputs->name = av_strdup("in");
    outputs->filter_ctx = m_source;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = m_sink;
    AVFilterInOut* inputsRaw = inputs.release();
    AVFilterInOut* outputsRaw = outputs.release();
    const int parsed =
        avfilter_graph_parse_ptr(m_graph.get(), chain.c_str(), &inputsRaw, &outputsRaw, nullptr);
    avfilter_inout_free(&inputsRaw);
    avfilter_inout_free(&outputsRaw);
    check(parsed, "Cannot set up the picture conversion");
    check(avfilter_graph_config(m_graph.get(), nullptr), "Cannot set up the picture conversion");
    m_graphWidth = decoded->width;
    m_graphHeight = decoded->height;
    m_graphFormat = decoded->format;
}

FramePtr VideoNormaliser::convert(const AVFrame* decoded)
{
    if (!m_graph || decoded->width != m_graphWidth || decoded->height != m_graphHeight ||
        decoded->format != m_graphFormat)
        buildGraph(decoded);
    FramePtr input(av_frame_clone(decoded));
    input->pts = 0;
    check(av_buffersrc_add_frame(m_source, input.get()), "Cannot convert a picture");
    FramePtr output = makeFrame();
    check(av_buffersink_get_frame(m_sink, output.get()), "Cannot convert a picture");
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
    while (m_emitted < slot && !stopRequested()) {
        m_emit(FramePtr(av_frame_clone(m_pending.get())));
        ++m_emitted;
    }
}

void VideoNormaliser::push(const AVFrame* decoded, double start, double duration)
{
    if (decoded->width <= 0 || decoded->height <= 0)
        return; // nothing a damaged packet left usable
    if (m_pending)
        emitUntil(start);
    m_pending = convert(decoded);
    m_pendingEnd = start + duration;
}

void VideoNormaliser::finish()
{
    if (!m_pending)
        return;
    emitUntil(m_pendingEnd);
    // A picture shorter than a frame still shows once.
    if (m_emitted == 0) {
        m_emit(FramePtr(av_frame_clone(m_pending.get())));
        ++m_emitted;
    }
    m_pending.reset();
}

} // namespace asapi
