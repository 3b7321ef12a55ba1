#pragma once

#include <exception>
#include <functional>
#include <thread>

namespace asapi {

// Runs work on a thread of its own. Whatever the work throws is kept and thrown again to the
// thread that joins it, so that an error on this thread is reported like any other and never
// ends the program.
class WorkerThread
{
public:
    // whenDone runs on the thread once the work has ended, however it ended, with the error
    // already kept: it lets the other side know that nothing more will come.
    explicit WorkerThread(std::function<void()> work, std::function<void()> whenDone = {});
    // Waits for the work; an error it threw is dropped.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Waits for the work to end. Throws what the work threw.
    void join();

private:
    void run();

    std::function<void()> m_work;
    std::function<void()> m_whenDone;
    std::exception_ptr m_error;
    std::thread m_thread; // last: it starts once the rest is in place
};

} // namespace asapi
