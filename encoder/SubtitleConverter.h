#pragma once

#include "FfmpegPointers.h"
#include "OutputContainers.h"

#include <memory>

namespace asapi {

// Text subtitles written again in another text codec, for a container that cannot keep their own:
// SRT or ASS into MP4's mov_text, mov_text into Matroska's SRT. The styling the two share is kept.
class SubtitleConverter
{
public:
    // Nothing where either codec is not a text one or cannot be opened. from: the first stream
    // of the track, whose decoder gives the encoder its style header.
    static std::unique_ptr<SubtitleConverter> open(const AVStream* from, AVCodecID to);

    // What the output's track is.
    const AVCodecContext* encoder() const { return m_encoder.get(); }
    // The packet, of the stream given, holds the same text in the other codec afterwards; false
    // for one that holds no text (a gap) or cannot be converted, which is left out.
    bool convert(AVPacket* packet, const AVStream* from);

private:
    bool decodeWith(const AVStream* from);

    CodecContextPtr m_decoder;
    const AVStream* m_decoderFor = nullptr; // each input's stream has a header of its own
    CodecContextPtr m_encoder;
    PacketPtr m_converted;
};

// A text subtitle codec that the container keeps (of its copied subtitles), for a track whose
// own it does not keep; none when it keeps none or the track's is no text.
AVCodecID textSubtitleCodecFor(AVCodecID own, const vantomel::CodecNames& kept);

} // namespace asapi
