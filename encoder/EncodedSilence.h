#pragma once

#include "ContainerRules.h"
#include "FfmpegPointers.h"

namespace asapi {

// One packet of silence in the codec of copied sound, for the gaps in it: an MP4 track plays its
// packets one after the other whatever their times, so sound missing between them has to be
// filled with packets. Nothing when the codec cannot be encoded with the same parameters. AAC
// copied from MPEG-TS comes with an ADTS header on each packet, which the muxer takes off every
// packet of the track: its silence needs one too.
PacketPtr encodedSilence(const AVCodecParameters* sound, bool adtsHeaders);

// An encoder of the sound's codec, set up as its own was: its profile, rate, channels and frame
// size. Nothing where none can be opened so.
CodecContextPtr matchingEncoder(const AVCodecParameters* sound);

// The sound can be encoded again into packets that follow its own in one stream: a matching
// encoder writes the same codec set-up (extradata) as the stream's header holds.
bool encodesAlike(const AVCodecParameters* sound);

// The encoder of a sound track that is encoded whole, as its inputs' sound cannot follow each
// other in one copied track: one of its own codec where the container holds that, else AAC,
// which every container a copy writes holds. Nothing where FFmpeg has neither.
const AVCodec* wholeTrackEncoder(const AVCodecParameters* sound, Container container);

// An AAC packet with its ADTS header, as MPEG-TS carries it.
bool hasAdtsHeader(const AVPacket* packet);

} // namespace asapi
