#pragma once

#include "FfmpegPointers.h"

namespace asapi {

// One packet of silence in the codec of copied sound, for the gaps in it: an MP4 track plays its
// packets one after the other whatever their times, so sound missing between them has to be
// filled with packets. Nothing when the codec cannot be encoded with the same parameters.
PacketPtr encodedSilence(const AVCodecParameters* sound);

} // namespace asapi
