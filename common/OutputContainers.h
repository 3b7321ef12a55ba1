#pragma once

#include <span>
#include <string_view>

namespace vantomel {

using CodecNames = std::span<const std::string_view>;

// The sample rates a container allows for one audio encoder.
struct SampleRateLimit
{
    std::string_view audioEncoder;
    std::span<const int> rates;
};

// One output container: what the profiles name it by, what the encoder writes into it, and what
// the program offers when a join into it cannot copy. Encoders are FFmpeg encoder names (mpeg4,
// libx264, libmp3lame, pcm_s16le, ...), copied codecs FFmpeg codec names (h264, hevc, aac, ...).
struct OutputContainer
{
    std::string_view name; // "AVI", as the messages name it
    // The first is the profiles' output type; the encoder takes any of them as -of or as the
    // output's extension.
    CodecNames extensions;
    std::string_view muxer; // libavformat's
    // The muxer for MPEG-2 video or AC-3 audio, which need the MPEG-2 program stream.
    std::string_view mpeg2Muxer = {};
    bool takesEveryEncoder = false; // whatever the encoder writes, instead of the lists below
    CodecNames videoEncoders = {};
    CodecNames audioEncoders = {};
    // A container without copied video takes no copy join.
    CodecNames copiedVideo = {};
    CodecNames copiedAudio = {};
    // The subtitles and data tracks (by codec tag: gpmd) a copy join carries; others are dropped.
    CodecNames copiedSubtitles = {};
    CodecNames copiedData = {};
    std::span<const SampleRateLimit> sampleRates = {}; // none: any rate will do
    bool oneSoundTrack = false; // further sound tracks of the inputs are left out
    bool keepsRotation = false; // a copied picture's display matrix is written
    // H.264 and HEVC parameter sets may come in band, with the avc3 and hev1 sample entries.
    bool inBandParameterSets = false;
    bool takesChapters = false;
    // The muxer writes the chapters before the packets: a copy join reserves their place and
    // writes their times over at the end.
    bool chaptersBeforePackets = false;
    // A picture left out is an empty chunk, which players show as the picture before.
    bool emptyChunkRepeatsPicture = false;
    bool titledAfterLoneInput = false;     // a single input's name becomes the file's title
    std::string_view copyProfile = {};     // the shipped profile that joins into it by copying
    std::string_view reencodeProfile = {}; // the shipped profile that re-encodes into it
};

// Every output container, in the order the output file dialog lists their output types; the first
// is the one for an output of no known type.
std::span<const OutputContainer> outputContainers();

// The container with that extension or -of name, without regard to case; none when unknown.
const OutputContainer* containerWithExtension(std::string_view extension);

} // namespace vantomel
