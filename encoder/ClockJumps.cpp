#include "ClockJumps.h"

#include "FrameClock.h"

#include <algorithm>
#include <utility>

namespace asapi {

ClockJumps::ClockJumps(bool clockMayRestart) : m_clockMayRestart(clockMayRestart) {}

std::int64_t ClockJumps::corrected(Stream stream, std::int64_t time, std::int64_t expected,
                                   AVRational timeBase)
{
    std::int64_t& shift = m_shift[stream];
    const auto shifted = [&](std::int64_t by) {
        return time + av_rescale_q(by, AV_TIME_BASE_Q, timeBase);
    };
    const auto jump = [&](std::int64_t by) { return (shifted(by) - expected) * av_q2d(timeBase); };
    const bool started = std::exchange(m_started[stream], true);
    const double own = jump(shift);
    if (!m_clockMayRestart || !started || (own >= -clockJumpBack && own <= clockRestartJump))
        return shifted(shift);
    const double other = jump(m_latest);
    if (other < clockJumpBack && other >= (stream == Video ? 0.0 : -clockJumpBack))
        shift = m_latest;
    else
        shift = m_latest =
            shift + av_rescale_q(expected - shifted(shift), timeBase, AV_TIME_BASE_Q);
    return shifted(shift);
}

void ClockJumps::correct(Stream stream, AVPacket* packet, std::int64_t& next, AVRational timeBase)
{
    const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (stamp == AV_NOPTS_VALUE)
        return;
    const std::int64_t shift = corrected(stream, stamp, next, timeBase) - stamp;
    if (packet->pts != AV_NOPTS_VALUE)
        packet->pts += shift;
    if (packet->dts != AV_NOPTS_VALUE)
        packet->dts += shift;
    next = stamp + shift + std::max<std::int64_t>(packet->duration, 0);
}

} // namespace asapi
