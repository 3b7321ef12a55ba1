#include "StreamDecoder.h"

#include "StopSignal.h"

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

// After this many unreadable packets in a row the rest of the input is given up.
constexpr int readFailureLimit = 1000;

} // namespace

PacketReader::PacketReader(AVFormatContext* context, std::string path, Warn warn)
    : m_context(context), m_path(std::move(path)), m_warn(std::move(warn)), m_packet(makePacket())
{
}

bool PacketReader::next(const std::function<bool(AVPacket*)>& take)
{
    for (int failuresInRow = 0; !stopRequested();) {
        const int read = av_read_frame(m_context, m_packet.get());
        if (read == AVERROR_EOF || (read < 0 && avio_feof(m_context->pb)))
            return false;
        if (read >= 0) {
            const bool more = take(m_packet.get());
            av_packet_unref(m_packet.get());
            return more;
        }
        if (++failuresInRow >= readFailureLimit) {
            m_warn("Giving up the rest of " + m_path + ": " + errorText(read) + ".");
            return false;
        }
    }
    return false;
}

void readPackets(AVFormatContext* context, const std::string& path, const Warn& warn,
                 const std::function<bool(AVPacket*)>& take)
{
    PacketReader reader(context, path, warn);
    while (reader.next(take)) {
    }
}

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
