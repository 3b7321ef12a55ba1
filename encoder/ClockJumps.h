#pragma once

#include "FfmpegPointers.h"

#include <cstdint>

namespace asapi {

// The packets of an input whose clock may start again (MPEG streams cut or put together) are
// timed on one line: a packet whose time jumps far from where its stream was goes on where the
// stream was instead. The first stream to meet a jump sets the correction, and the other takes
// the same one where that brings it near where it was, so that picture and sound keep the step
// they had; the picture only where that does not take it back before the pictures it follows.
class ClockJumps
{
public:
    enum Stream
    {
        Video,
        Audio
    };

    explicit ClockJumps(bool clockMayRestart);

    // time: a packet's, in timeBase; expected: where its stream was to go on, unused for a
    // stream's first packet. Returns the time corrected by every jump found before it.
    std::int64_t corrected(Stream stream, std::int64_t time, std::int64_t expected,
                           AVRational timeBase);
    // Moves a packet that is to be decoded, so that its decoder sees no jump. next: where the
    // stream's next packet begins, in timeBase; kept up to date.
    void correct(Stream stream, AVPacket* packet, std::int64_t& next, AVRational timeBase);

private:
    bool m_clockMayRestart;
    // Corrections in AV_TIME_BASE units: each stream's own, and the last one found.
    std::int64_t m_shift[2] = {0, 0};
    std::int64_t m_latest = 0;
    bool m_started[2] = {false, false};
};

} // namespace asapi
