#include "EncodedSilence.h"

extern "C" {
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <array>
#include <cstring>

namespace asapi {
namespace {

// The seven bytes before a raw AAC frame in an ADTS stream, without a checksum.
bool prependAdtsHeader(AVPacket* packet, int profile, int sampleRate, int channels)
{
    static constexpr std::array<int, 13> rates{96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                               22050, 16000, 12000, 11025, 8000,  7350};
    const auto rate = std::find(rates.begin(), rates.end(), sampleRate);
    const int length = packet->size + 7;
    if (rate == rates.end() || channels > 7 || length >= 1 << 13)
        return false;
    const int rateIndex = static_cast<int>(rate - rates.begin());
    const int objectType = profile >= 0 && profile < 4 ? profile : FF_PROFILE_AAC_LOW;
    const std::array<std::uint8_t, 7> header{
        0xff,
        0xf1, // MPEG-4, no checksum
        static_cast<std::uint8_t>(objectType << 6 | rateIndex << 2 | channels >> 2),
        static_cast<std::uint8_t>((channels & 3) << 6 | length >> 11),
        static_cast<std::uint8_t>(length >> 3),
        static_cast<std::uint8_t>((length & 7) << 5 | 0x1f), // buffer fullness: variable
        0xfc};
    const int size = packet->size;
    if (av_grow_packet(packet, 7) < 0)
        return false;
    std::memmove(packet->data + 7, packet->data, static_cast<std::size_t>(size));
    std::memcpy(packet->data, header.data(), header.size());
    return true;
}

} // namespace

bool hasAdtsHeader(const AVPacket* packet)
{
    return packet->size > 2 && packet->data[0] == 0xff && (packet->data[1] & 0xf0) == 0xf0;
}

CodecContextPtr matchingEncoder(const AVCodecParameters* sound)
{
    // A Vorbis packet decodes only with the code books of its own stream's headers.
    if (sound->codec_id == AV_CODEC_ID_VORBIS)
        return nullptr;
    const AVCodec* codec = avcodec_find_encoder(sound->codec_id);
    if (!codec || sound->sample_rate <= 0 || sound->ch_layout.nb_channels <= 0)
        return nullptr;
    CodecContextPtr encoder(allocated(avcodec_alloc_context3(codec)));
    encoder->sample_rate = sound->sample_rate;
    if (sound->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&encoder->ch_layout, sound->ch_layout.nb_channels);
    else
        check(av_channel_layout_copy(&encoder->ch_layout, &sound->ch_layout), "Out of memory");
    encoder->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    encoder->time_base = AVRational{1, sound->sample_rate};
    encoder->bit_rate = sound->bit_rate > 0 ? sound->bit_rate : 128000;
    // The packets must decode with the copied stream's own set-up: its profile, its frame size.
    if (sound->profile != FF_PROFILE_UNKNOWN)
        encoder->profile = sound->profile;
    // Its set-up goes in the header, as the stream's own does, not in each packet.
    encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(encoder.get(), codec, nullptr) < 0)
        return nullptr;
    const int frameSize = encoder->frame_size > 0 ? encoder->frame_size : sound->frame_size;
    if (frameSize <= 0 || (sound->frame_size > 0 && frameSize != sound->frame_size))
        return nullptr;
    return encoder;
}

bool encodesAlike(const AVCodecParameters* sound)
{
    const CodecContextPtr encoder = matchingEncoder(sound);
    return encoder && encoder->extradata_size == sound->extradata_size &&
           (sound->extradata_size == 0 ||
            std::memcmp(encoder->extradata, sound->extradata,
                        static_cast<std::size_t>(sound->extradata_size)) == 0);
}

const AVCodec* wholeTrackEncoder(const AVCodecParameters* sound, Container container)
{
    // An experimental encoder opens only on request, and may write what players refuse.
    const auto usable = [container](const AVCodec* codec) {
        return codec && !(codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL) &&
               holdsCopiedSound(container, avcodec_get_name(codec->id));
    };
    if (const AVCodec* own = avcodec_find_encoder(sound->codec_id); usable(own))
        return own;
    const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
    return usable(aac) ? aac : nullptr;
}

PacketPtr encodedSilence(const AVCodecParameters* sound, bool adtsHeaders)
{
    const CodecContextPtr encoder = matchingEncoder(sound);
    if (!encoder)
        return nullptr;
    const int frameSize = encoder->frame_size > 0 ? encoder->frame_size : sound->frame_size;

    FramePtr frame = makeFrame();
    frame->nb_samples = frameSize;
    frame->format = encoder->sample_fmt;
    frame->sample_rate = encoder->sample_rate;
    check(av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout), "Out of memory");
    check(av_frame_get_buffer(frame.get(), 0), "Out of memory");
    av_samples_set_silence(frame->extended_data, 0, frameSize, encoder->ch_layout.nb_channels,
                           encoder->sample_fmt);
    PacketPtr packet = makePacket();
    // An encoder that looks ahead gives its first packet after a few frames.
    for (int sent = 0; sent < 8; ++sent) {
        frame->pts = static_cast<std::int64_t>(sent) * frameSize;
        if (avcodec_send_frame(encoder.get(), frame.get()) < 0)
            return nullptr;
        if (avcodec_receive_packet(encoder.get(), packet.get()) == 0) {
            packet->duration = frameSize;
            if (adtsHeaders &&
                !prependAdtsHeader(packet.get(), encoder->profile, encoder->sample_rate,
                                   encoder->ch_layout.nb_channels))
                return nullptr;
            return packet;
        }
    }
    return nullptr;
}

} // namespace asapi
