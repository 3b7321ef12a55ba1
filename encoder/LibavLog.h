#pragma once

#include <cstdio>

namespace asapi {

// FFmpeg's libraries log what they meet ("[mpeg4 @ 0x55…] header damaged") in words of their
// own, many to a damaged file. From now on each of their lines goes to errors as a message of
// FFmpeg's, so that a program reading the stream keeps them in its log but never takes one for
// the encoder's reason, which is always a line of the encoder's own. At the level the log is
// set to.
void markLibavLines(std::FILE* errors);

} // namespace asapi
