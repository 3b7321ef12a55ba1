#pragma once

#include "EncoderError.h"
#include "OutputContainers.h"

#include <string>
#include <vector>

namespace asapi {

// A row of the output containers' table.
using Container = const vantomel::OutputContainer*;

// The container of an output of no known type: AVI.
Container fallbackContainer();

// -of when given (any container's extension; lavf means "by extension"), else the output's
// extension without regard to case; anything unknown is AVI. Throws a usage EncoderError for an -of
// value this encoder does not write.
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

// What a join that copies the inputs' packets puts into its output. The video codec and a copied
// audio codec are FFmpeg codec names (h264, hevc, aac, mp3, ...), a sound that is encoded an
// encoder name as for checkCodecs; an empty audio codec is a join without sound.
struct CopiedStreams
{
    std::string videoCodec;
    std::string audioCodec;
    bool audioCopied = true;
    int rotation = 0; // clockwise degrees the pictures are shown turned
};

// For a join that copies the inputs' packets: throws the cannot-copy EncoderError naming the
// copied codec the container cannot hold and what to join with instead, a usage one for an
// encoded sound it cannot hold.
void checkCopiedCodecs(Container container, const std::string& videoCodec,
                       const std::string& audioCodec, bool audioCopied);

// The container holds copied sound of that codec (an FFmpeg codec name: aac, mp3, ...).
bool holdsCopiedSound(Container container, const std::string& codec);

// What a copy join refused for the container can join with: another container's copy profile
// that holds the streams ("join with \"MKV - Same as the videos (no re-encoding)\" or a
// re-encoding profile."), else a re-encoding profile.
std::string copyAlternative(Container container, const CopiedStreams& streams);

// The sample rates the container allows for that audio codec; empty when any rate will do.
std::vector<int> containerSampleRates(Container container, const std::string& audioCodec);

} // namespace asapi
