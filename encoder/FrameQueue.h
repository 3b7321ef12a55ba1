#pragma once

#include "FfmpegPointers.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace asapi {

enum class FrameKind
{
    Video,
    Audio
};

struct QueuedFrame
{
    FrameKind kind;
    FramePtr frame;
    int soundTrack = 0; // of a sound frame
};

// Hands normalised frames from the decoding thread to the encoding thread; bounded, so that
// decoding runs ahead of encoding by a few frames only.
class FrameQueue
{
public:
    explicit FrameQueue(std::size_t capacity) : m_capacity(capacity) {}

    // False when the reader has gone.
    bool push(QueuedFrame item)
    {
        std::unique_lock lock(m_mutex);
        m_notFull.wait(lock, [&] { return m_items.size() < m_capacity || m_abandoned; });
        if (m_abandoned)
            return false;
        m_items.push_back(std::move(item));
        m_notEmpty.notify_one();
        return true;
    }

    // Nothing once the writer has closed the queue and it ran empty.
    std::optional<QueuedFrame> pop()
    {
        std::unique_lock lock(m_mutex);
        m_notEmpty.wait(lock, [&] { return !m_items.empty() || m_closed; });
        if (m_items.empty())
            return std::nullopt;
        QueuedFrame item = std::move(m_items.front());
        m_items.pop_front();
        m_notFull.notify_one();
        return item;
    }

    // The writer has nothing more to send.
    void close()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_notEmpty.notify_all();
    }

    // The reader stops taking frames; a waiting writer is released.
    void abandon()
    {
        std::lock_guard lock(m_mutex);
        m_abandoned = true;
        m_items.clear();
        m_notFull.notify_all();
    }

private:
    std::size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_notFull;
    std::condition_variable m_notEmpty;
    std::deque<QueuedFrame> m_items;
    bool m_closed = false;
    bool m_abandoned = false;
};

} // namespace asapi
