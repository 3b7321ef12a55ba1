#include "EncodedSilence.h"

extern "C" {
#include <libavutil/samplefmt.h>
}

namespace asapi {

PacketPtr encodedSilence(const AVCodecParameters* sound)
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
    if (avcodec_open2(encoder.get(), codec, nullptr) < 0)
        return nullptr;
    const int frameSize = encoder->frame_size > 0 ? encoder->frame_size : sound->frame_size;
    if (frameSize <= 0 || (sound->frame_size > 0 && frameSize != sound->frame_size))
        return nullptr;

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
            return packet;
        }
    }
    return nullptr;
}

} // namespace asapi
