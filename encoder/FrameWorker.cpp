#include "FrameWorker.h"

namespace asapi {

FrameWorker::FrameWorker(std::size_t capacity, Consume consume)
    : m_queue(capacity), m_consume(std::move(consume)), m_thread([this] { run(); })
{
}

FrameWorker::~FrameWorker()
{
    m_queue.abandon();
    m_queue.close();
    if (m_thread.joinable())
        m_thread.join();
}

void FrameWorker::run()
{
    try {
        while (auto item = m_queue.pop())
            m_consume(item->frame.get());
    } catch (const EncoderError& error) {
        m_error = error;
    } catch (const std::exception& error) {
        m_error = EncoderError{error.what()};
    }
    // The error is in place before the feeder can find the queue abandoned.
    m_queue.abandon();
}

void FrameWorker::push(FramePtr frame)
{
    if (m_queue.push(QueuedFrame{FrameKind::Audio, std::move(frame)}))
        return;
    if (m_error)
        throw *m_error;
    throw EncoderError{"The encoding thread has stopped."};
}

void FrameWorker::finish()
{
    m_queue.close();
    if (m_thread.joinable())
        m_thread.join();
    if (m_error)
        throw *m_error;
}

} // namespace asapi
