#include "WorkerThread.h"

namespace asapi {

WorkerThread::WorkerThread(std::function<void()> work, std::function<void()> whenDone)
    : m_work(std::move(work)), m_whenDone(std::move(whenDone)), m_thread([this] { run(); })
{
}

WorkerThread::~WorkerThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

void WorkerThread::run()
{
    try {
        m_work();
    } catch (...) {
        m_error = std::current_exception();
    }
    if (m_whenDone)
        m_whenDone();
}

void WorkerThread::join()
{
    if (m_thread.joinable())
        m_thread.join();
    if (m_error)
        std::rethrow_exception(m_error);
}

} // namespace asapi
