#include "StreamDecoder.h"

namespace asapi {
namespace {

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

} // namespace

CodecContextPtr openDecoder(const AVStream* stream, int threads)
{
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return nullptr;
    CodecContextPtr context(allocated(avcodec_alloc_context3(decoder)));
    if (avcodec_parameters_to_context(context.get(), stream->codecpar) < 0)
        return nullptr;
    context->pkt_timebase = stream->time_base;
    context->thread_count = threads > 0 ? threads : decoderThreadsFor(stream->codecpar->codec_id);
    if (avcodec_open2(context.get(), decoder, nullptr) < 0)
        return nullptr;
    return context;
}

} // namespace asapi
