#pragma once

#include "FfmpegPointers.h"
#include "Ratio.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace asapi {

// How libx264 is set to encode again the pictures of an x264 clip between a cut and the keyframe
// a copy can cut at, so that they share the clip's own parameter sets.
struct CutSettings
{
    std::string params; // libx264's x264-params
    bool stitchable = false;
    int lengthSize = 4; // bytes of each NAL unit's length in the clip's packets
    // The pictures encoded again bring parameter sets of their own, in band before their first
    // keyframe; the clip's own then come again before its next copied keyframe.
    bool inBand = false;
};

// The options an x264 clip was encoded with, as its user data SEI states them after
// "options: " ("cabac=1 ref=3 ..."); nothing for a clip another encoder wrote.
std::optional<std::string> x264Options(const std::uint8_t* data, int size);

// x264-params for libx264 from such options: those that shape the parameter sets, the pictures'
// order and their quality. A chroma QP offset is left out: the one stated already holds what
// psy-rd added to it.
std::string cutParams(const std::string& options);

// Settings with which libx264 writes the very parameter sets of the input's H.264 clip, tried
// with stitchable=1 and then without; nothing when none do, when another encoder wrote the clip,
// or when its pictures may lean on pictures before a keyframe (open GOP). Throws EncoderError as
// openInput does.
std::optional<CutSettings> cutSettingsFor(const std::string& path, Ratio rate);

// Settings for an H.264 clip that another encoder wrote, or an HEVC clip, whose pictures at a cut
// are encoded (by libx264 or libx265) with parameter sets of their own, in band: the clip's
// profile (and level), at a quality that keeps the pictures as they are. Nothing when the clip's
// keyframes from `from` to `until` (seconds from its first picture) are not all IDR pictures, as a
// picture after one could lean on one before it. Throws EncoderError as openInput does.
std::optional<CutSettings> inBandCutSettingsFor(const std::string& path, double from, double until);

struct ParametersDeleter
{
    void operator()(AVCodecParameters* parameters) const { avcodec_parameters_free(&parameters); }
};
using ParametersPtr = std::shared_ptr<AVCodecParameters>;

// Other clips whose picture a clip's pictures are encoded to match: their stream's parameters
// (size, pixel format and shape, codec, profile and level) and their rate.
struct MatchedShape
{
    ParametersPtr like;
    Ratio rate;
    double pixelAspect = 1.0; // as the others are shown
    int turn = 0;             // clockwise degrees that make the clip's pictures upright as theirs
};

// Decodes the pictures of the input shown from `from` up to `until` (seconds from its first
// picture) and encodes them again, the first as a keyframe: the pictures before the keyframe after
// an in point, or those from the keyframe before an out point. write takes each packet, timed in
// the input's video time base, in the clip's packet form. With match, the pictures are encoded
// to match other clips (settings are theirs): scaled into their size, their shape kept, at their
// rate; until may then be infinite. Throws EncoderError.
void encodeCut(const std::string& path, Ratio rate, const CutSettings& settings, double from,
               double until, const std::function<void(AVPacket*)>& write,
               const MatchedShape* match = nullptr);

} // namespace asapi
