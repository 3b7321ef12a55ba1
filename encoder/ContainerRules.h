#pragma once

#include "EncoderError.h"

#include <string>
#include <vector>

namespace asapi {

enum class Container
{
    Avi,
    Mpeg,
    Vob,
    Mp4,
    Mov,
    Asf,
    Flv,
    Mkv
};

// -of when given (avi, mpeg, vob, mp4, mov, asf, wmv, flv, mkv; lavf means "by extension"), else
// the output's extension without regard to case; anything unknown is AVI. Throws a usage
// EncoderError for an -of value this encoder does not write.
Container containerFor(const std::string& outputPath, const std::string& outputFormat);

// "AVI", "MPEG", ... as the messages name it.
std::string containerName(Container container);

// The libavformat muxer: an MPEG file with MPEG-2 video or AC-3 audio needs the MPEG-2 program
// stream of the VOB muxer.
std::string muxerName(Container container, const std::string& videoCodec,
                      const std::string& audioCodec);

// Throws a usage EncoderError naming the codec the container cannot hold. Codecs are FFmpeg encoder
// names (mpeg4, libx264, libmp3lame, pcm_s16le, ...).
void checkCodecs(Container container, const std::string& videoCodec, const std::string& audioCodec);

// For a join that copies the inputs' packets: throws a usage EncoderError naming the codec the
// container cannot hold. The video codec and a copied audio codec are FFmpeg codec names (h264,
// hevc, aac, mp3, ...), a sound that is encoded an encoder name as for checkCodecs; an empty
// audio codec is a join without sound.
void checkCopiedCodecs(Container container, const std::string& videoCodec,
                       const std::string& audioCodec, bool audioCopied);

// The sample rates the container allows for that audio codec; empty when any rate will do.
std::vector<int> containerSampleRates(Container container, const std::string& audioCodec);

} // namespace asapi
