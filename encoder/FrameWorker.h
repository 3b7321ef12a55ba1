#pragma once

#include "FfmpegPointers.h"
#include "FrameQueue.h"

#include "WorkerThread.h"

#include <functional>

namespace asapi {

// Hands frames to a consumer running on a thread of its own, behind a bounded queue, so that the
// thread feeding it carries on meanwhile. An error in the consumer stops it and is thrown to the
// feeder at its next push or at finish, whatever its type.
class FrameWorker
{
public:
    using Consume = std::function<void(AVFrame*)>;

    FrameWorker(std::size_t capacity, Consume consume);
    // Drops the frames still waiting.
    ~FrameWorker();
    FrameWorker(const FrameWorker&) = delete;
    FrameWorker& operator=(const FrameWorker&) = delete;

    // Throws the consumer's error.
    void push(FramePtr frame);
    // Returns once every frame pushed has been consumed. Throws the consumer's error.
    void finish();

private:
    FrameQueue m_queue;
    Consume m_consume;
    WorkerThread m_thread;
};

} // namespace asapi
