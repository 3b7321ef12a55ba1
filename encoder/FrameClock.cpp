#include "FrameClock.h"

#include <cmath>
#include <limits>

namespace asapi {
namespace {

// Closer than this to where the stream is, a time is on its line.
constexpr double jumpAhead = 0.5; // seconds
// Frames may end a little after the length the container states.
constexpr double lengthSlack = 1.0; // seconds

} // namespace

FrameClock::FrameClock(AVRational timeBase, std::int64_t origin, bool clockMayRestart,
                       double length, Handler handler)
    : m_timeBase(timeBase), m_origin(origin),
      m_restartJump(clockMayRestart ? clockRestartJump : std::numeric_limits<double>::infinity()),
      // The length such formats state is a guess from timestamps that may start again.
      m_latest(length > 0 && !clockMayRestart ? length + lengthSlack
                                              : std::numeric_limits<double>::infinity()),
      m_handler(std::move(handler)), m_held(makeFrame())
{
}

std::optional<double> FrameClock::stamped(const AVFrame* frame) const
{
    if (frame->best_effort_timestamp == AV_NOPTS_VALUE)
        return std::nullopt;
    return (frame->best_effort_timestamp - m_origin) * av_q2d(m_timeBase) + m_shift;
}

double FrameClock::duration(const AVFrame* frame, double fallback) const
{
    return frame->pkt_duration > 0 ? frame->pkt_duration * av_q2d(m_timeBase) : fallback;
}

void FrameClock::push(AVFrame* frame, double fallbackDuration)
{
    const double frameDuration = duration(frame, fallbackDuration);
    if (m_holding) {
        // The held frame is believed when this one is nearer to where it leads than to the line.
        const auto stamp = stamped(frame);
        releaseHeld(stamp &&
                    std::abs(*stamp - (m_heldStamp + m_heldDuration)) < std::abs(*stamp - m_next));
    }
    const auto stamp = stamped(frame);
    if (!stamp) {
        deliver(frame, m_next, frameDuration);
    } else if (*stamp > m_latest) {
        // The clock jumped beyond the input's end: the stream goes on where it was, and the
        // frames after this one keep their spacing.
        m_shift += m_next - *stamp;
        deliver(frame, m_next, frameDuration);
    } else if (!m_started) {
        deliver(frame, *stamp, frameDuration);
    } else if (*stamp < m_next - clockJumpBack || *stamp > m_next + jumpAhead) {
        av_frame_move_ref(m_held.get(), frame);
        m_holding = true;
        m_heldStamp = *stamp;
        m_heldDuration = frameDuration;
    } else {
        deliver(frame, *stamp, frameDuration);
    }
}

void FrameClock::finish()
{
    if (m_holding)
        releaseHeld(m_heldStamp > m_next);
}

void FrameClock::releaseHeld(bool believed)
{
    double start = m_next;
    if (believed && m_heldStamp > m_next && m_heldStamp < m_next + m_restartJump)
        start = m_heldStamp; // a picture held, or sound missing, for a while
    else if (believed)
        m_shift += m_next - m_heldStamp; // the clock started again; the stream goes on
    m_holding = false;
    deliver(m_held.get(), start, m_heldDuration);
    av_frame_unref(m_held.get());
}

void FrameClock::deliver(const AVFrame* frame, double start, double duration)
{
    m_started = true;
    m_next = start + duration;
    m_handler(frame, start, duration);
}

} // namespace asapi
