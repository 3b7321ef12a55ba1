#pragma once

#include <set>
#include <string>

namespace asapi {

// The FFmpeg encoders this program writes with; AVI holds every one of them.

// -lavcopts vcodec=
const std::set<std::string>& videoCodecNames();
// -lavcopts acodec=, for -oac lavc
const std::set<std::string>& lavcAudioCodecNames();
// -oac mp3lame and -oac pcm
inline const std::string mp3CodecName = "libmp3lame";
inline const std::string pcmCodecName = "pcm_s16le";

} // namespace asapi
