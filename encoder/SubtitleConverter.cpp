#include "SubtitleConverter.h"

#include <cstring>
#include <string>
#include <vector>

namespace asapi {
namespace {

bool isText(AVCodecID codec)
{
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec);
    return descriptor && (descriptor->props & AV_CODEC_PROP_TEXT_SUB);
}

} // namespace

AVCodecID textSubtitleCodecFor(AVCodecID own, const vantomel::CodecNames& kept)
{
    if (!isText(own))
        return AV_CODEC_ID_NONE;
    for (const std::string_view name : kept) {
        const AVCodecDescriptor* descriptor =
            avcodec_descriptor_get_by_name(std::string(name).c_str());
        if (descriptor && isText(descriptor->id) && avcodec_find_encoder(descriptor->id))
            return descriptor->id;
    }
    return AV_CODEC_ID_NONE;
}

std::unique_ptr<SubtitleConverter> SubtitleConverter::open(const AVStream* from, AVCodecID to)
{
    auto converter = std::unique_ptr<SubtitleConverter>(new SubtitleConverter);
    const AVCodec* codec = avcodec_find_encoder(to);
    if (!codec || !converter->decodeWith(from))
        return nullptr;
    const AVCodecContext* decoder = converter->m_decoder.get();
    converter->m_encoder.reset(allocated(avcodec_alloc_context3(codec)));
    AVCodecContext* encoder = converter->m_encoder.get();
    encoder->time_base = AVRational{1, 1000};
    if (decoder->subtitle_header_size > 0) {
        encoder->subtitle_header = static_cast<std::uint8_t*>(
            allocated(av_mallocz(static_cast<std::size_t>(decoder->subtitle_header_size) + 1)));
        std::memcpy(encoder->subtitle_header, decoder->subtitle_header,
                    static_cast<std::size_t>(decoder->subtitle_header_size));
        encoder->subtitle_header_size = decoder->subtitle_header_size;
    }
    if (avcodec_open2(encoder, codec, nullptr) < 0)
        return nullptr;
    converter->m_converted = makePacket();
    return converter;
}

bool SubtitleConverter::decodeWith(const AVStream* from)
{
    if (m_decoder && m_decoderFor == from)
        return true;
    m_decoderFor = from;
    const AVCodec* codec = avcodec_find_decoder(from->codecpar->codec_id);
    m_decoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!m_decoder || avcodec_parameters_to_context(m_decoder.get(), from->codecpar) < 0)
        return false;
    m_decoder->pkt_timebase = from->time_base;
    if (avcodec_open2(m_decoder.get(), codec, nullptr) >= 0)
        return true;
    m_decoder.reset();
    return false;
}

bool SubtitleConverter::convert(AVPacket* packet, const AVStream* from)
{
    if (!decodeWith(from))
        return false;
    AVSubtitle subtitle{};
    int decoded = 0;
    if (avcodec_decode_subtitle2(m_decoder.get(), &subtitle, &decoded, packet) < 0 || !decoded)
        return false;
    // Room for the text and its styling, which the encoder cannot grow.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(packet->size) * 4 + 1024);
    const int size = subtitle.num_rects > 0
                         ? avcodec_encode_subtitle(m_encoder.get(), bytes.data(),
                                                   static_cast<int>(bytes.size()), &subtitle)
                         : 0;
    avsubtitle_free(&subtitle);
    if (size <= 0)
        return false;
    AVPacket* converted = m_converted.get();
    av_packet_unref(converted);
    check(av_new_packet(converted, size), "Out of memory");
    std::memcpy(converted->data, bytes.data(), static_cast<std::size_t>(size));
    check(av_packet_copy_props(converted, packet), "Out of memory");
    av_packet_unref(packet);
    av_packet_move_ref(packet, converted);
    return true;
}

} // namespace asapi
