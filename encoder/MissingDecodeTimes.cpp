#include "MissingDecodeTimes.h"

#include <algorithm>

namespace asapi {
namespace {

// libavformat reorders by no more pictures than this.
constexpr std::size_t reorderLimit = 16;

} // namespace

MissingDecodeTimes::MissingDecodeTimes(AVRational timeBase, Ratio frameRate, Take take)
    : m_timeBase(timeBase), m_frameRate(frameRate), m_take(std::move(take))
{
}

void MissingDecodeTimes::push(AVPacket* packet)
{
    if (!m_timed && packet->dts == AV_NOPTS_VALUE && packet->pts != AV_NOPTS_VALUE &&
        m_held.size() < reorderLimit) {
        m_held.push_back(PacketPtr(allocated(av_packet_clone(packet))));
        return;
    }
    m_timed = true;
    release(packet->dts);
    m_take(packet);
}

void MissingDecodeTimes::finish()
{
    release(AV_NOPTS_VALUE);
}

// next: the decoding time of the picture after those held; unknown when none has one, and then
// the last held is decoded when the first of them is shown.
void MissingDecodeTimes::release(std::int64_t next)
{
    if (m_held.empty())
        return;
    std::int64_t after = next;
    if (after == AV_NOPTS_VALUE) {
        const auto first = std::min_element(
            m_held.begin(), m_held.end(),
            [](const PacketPtr& a, const PacketPtr& b) { return a->pts < b->pts; });
        after = (*first)->pts + frames(1);
    }
    const std::int64_t count = static_cast<std::int64_t>(m_held.size());
    for (std::int64_t i = 0; i < count; ++i) {
        PacketPtr packet = std::move(m_held.front());
        m_held.pop_front();
        packet->dts = after - frames(count - i);
        m_take(packet.get());
    }
}

// A tick a frame where the rate is unknown: the times only need to keep their order.
std::int64_t MissingDecodeTimes::frames(std::int64_t count) const
{
    if (m_frameRate.num <= 0)
        return count;
    return av_rescale_q(count, AVRational{m_frameRate.den, m_frameRate.num}, m_timeBase);
}

} // namespace asapi
