#pragma once

#include "FfmpegPointers.h"

namespace asapi {

// One packet of silence in the codec of copied sound, for the gaps in it: an MP4 track plays its
// packets one after the other whatever their times, so sound missing between them has to be
// filled with packets. Nothing when the codec cannot be encoded with the same parameters. AAC
// copied from MPEG-TS comes with an ADTS header on each packet, which the muxer takes off every
// packet of the track: its silence needs one too.
PacketPtr encodedSilence(const AVCodecParameters* sound, bool adtsHeaders);

// An AAC packet with its ADTS header, as MPEG-TS carries it.
bool hasAdtsHeader(const AVPacket* packet);

} // namespace asapi
