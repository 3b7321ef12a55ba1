#include "CutPictures.h"

#include "CutEncoder.h"
#include "EncoderError.h"
#include "StopSignal.h"

#include <algorithm>

namespace asapi {
namespace {

// Inputs whose cuts may be encoded beyond the one being copied.
constexpr std::size_t kInputsAhead = 3;
constexpr unsigned kWorkers = 2;

} // namespace

CutPictures::CutPictures(const std::vector<CopyInput>& inputs) : m_inputs(inputs)
{
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const CopyInput& input = inputs[i];
        const InputPart& part = input.facts.part;
        // An input encoded whole to match the others is encoded as it is written.
        if (input.match)
            continue;
        if (input.copyFrom)
            m_cuts.push_back(Cut{i, true, part.start, *input.copyFrom, false, {}, nullptr});
        if (input.copyUntil && part.length && *input.copyUntil < part.end() - InputPart::tolerance)
            m_cuts.push_back(Cut{i, false, *input.copyUntil, part.end(), false, {}, nullptr});
    }
    const unsigned workers = std::min<std::size_t>(kWorkers, m_cuts.size());
    for (unsigned i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
}

CutPictures::~CutPictures()
{
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_changed.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

void CutPictures::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] {
            return m_ending || m_next >= m_cuts.size() ||
                   m_cuts[m_next].input <= m_copied + kInputsAhead;
        });
        if (m_ending || m_next >= m_cuts.size())
            return;
        Cut& cut = m_cuts[m_next++];
        lock.unlock();
        std::vector<PacketPtr> packets;
        std::exception_ptr error;
        if (!stopRequested()) {
            const CopyInput& input = m_inputs[cut.input];
            try {
                encodeCut(input.facts.path, input.facts.frameRate, input.cutSettings, cut.from,
                          cut.until, [&packets](AVPacket* packet) {
                              packets.emplace_back(allocated(av_packet_clone(packet)));
                          });
            } catch (...) {
                error = std::current_exception();
            }
        }
        lock.lock();
        cut.packets = std::move(packets);
        cut.error = error;
        cut.done = true;
        m_changed.notify_all();
    }
}

void CutPictures::copying(std::size_t input)
{
    {
        const std::lock_guard lock(m_mutex);
        m_copied = input;
    }
    m_changed.notify_all();
}

std::vector<PacketPtr> CutPictures::take(std::size_t input, bool lead)
{
    std::unique_lock lock(m_mutex);
    const auto cut = std::find_if(m_cuts.begin(), m_cuts.end(), [&](const Cut& each) {
        return each.input == input && each.lead == lead;
    });
    if (cut == m_cuts.end())
        return {};
    m_changed.wait(lock, [&] { return cut->done; });
    if (cut->error)
        std::rethrow_exception(cut->error);
    return std::move(cut->packets);
}

} // namespace asapi
