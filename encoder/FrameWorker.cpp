#include "FrameWorker.h"

namespace asapi {

FrameWorker::FrameWorker(std::size_t capacity, Consume consume)
    : m_queue(capacity), m_consume(std::move(consume)),
      m_thread(
          [this] {
              while (auto item = m_queue.pop())
                  m_consume(item->frame.get());
          },
          // A consumer that stopped takes no more frames: the feeder is let go.
          [this] { m_queue.abandon(); })
{
}

FrameWorker::~FrameWorker()
{
    m_queue.abandon();
    m_queue.close();
}

void FrameWorker::push(FramePtr frame)
{
    if (m_queue.push(QueuedFrame{FrameKind::Audio, std::move(frame)}))
        return;
    // The consumer has ended: its error comes with the join.
    m_thread.join();
    throw EncoderError{"The encoding thread has stopped."};
}

void FrameWorker::finish()
{
    m_queue.close();
    m_thread.join();
}

} // namespace asapi
