#pragma once

#include <cstdio>

namespace asapi {

// FFmpeg's libraries log what they meet ("[mpeg4 @ 0x55…] header damaged") in words of their
// own, many to a damaged file. Each of their lines goes to errors behind this mark, so that a
// program reading the stream keeps them in its log but never takes one for the encoder's
// reason, which is always a line of the encoder's own.
inline constexpr const char* kLibavLineMark = "[libav] ";

// From now on FFmpeg's log lines go to errors, marked, at the level the log is set to.
void markLibavLines(std::FILE* errors);

} // namespace asapi
