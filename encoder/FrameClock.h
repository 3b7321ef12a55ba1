#pragma once

#include "FfmpegPointers.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace asapi {

// A time this far back from where its stream was is off its line, and so, in a format whose clock
// may start again (MPEG streams put together), is one this far ahead: that clock started again.
constexpr double clockJumpBack = 0.5;     // seconds
constexpr double clockRestartJump = 10.0; // seconds

// Times one stream's decoded frames on the input's time line, in seconds from its origin. A
// frame without a time follows the one before. A time that leaves the line (back by more than
// a moment, or ahead by more than a moment) is believed only when the next frame carries on
// from it: then the clock started again (VOB files put together) and the stream goes on where
// it was, or, in a format whose clock never starts again, a picture was held (a screen
// recording that only writes pictures that change). A single frame off the line is damage: it
// takes the place after the frame before. A time beyond the input's own length is a jump of the
// clock: the stream goes on where it was.
class FrameClock
{
public:
    using Handler = std::function<void(const AVFrame*, double start, double duration)>;

    // length: the input's, in seconds; 0 when unknown.
    FrameClock(AVRational timeBase, std::int64_t origin, bool clockMayRestart, double length,
               Handler handler);

    // Hands the frame to the handler now, or once the next frame has told whether its time is
    // believed; a held frame's data is taken over, so the caller may reuse the frame.
    void push(AVFrame* frame, double fallbackDuration);
    // Hands on a frame still held: a jump ahead at the end is believed, a jump back is not.
    void finish();

private:
    std::optional<double> stamped(const AVFrame* frame) const;
    double duration(const AVFrame* frame, double fallback) const;
    void deliver(const AVFrame* frame, double start, double duration);
    void releaseHeld(bool believed);

    AVRational m_timeBase;
    std::int64_t m_origin;
    double m_restartJump; // a believed jump ahead this long is a restarted clock, not a pause
    double m_latest;      // no frame of the input starts later
    Handler m_handler;
    double m_shift = 0.0;
    double m_next = 0.0;
    bool m_started = false;
    bool m_holding = false;
    FramePtr m_held;
    double m_heldStamp = 0.0;
    double m_heldDuration = 0.0;
};

} // namespace asapi
