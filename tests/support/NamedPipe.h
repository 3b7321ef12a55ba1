#pragma once

#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// A named pipe for tests of readers that must never wait on one. Past the deadline, a reader
// that waits in opening it is let go again and again (the pipe is opened for writing and closed,
// so the reader finds it empty), so that a reader that waits makes its test fail, not hang.
class NamedPipe
{
public:
    NamedPipe(const QString& path, std::chrono::milliseconds deadline)
        : m_path(QFile::encodeName(path)), m_made(::mkfifo(m_path.constData(), 0600) == 0),
          m_watchdog([this, deadline] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (m_stopped.wait_for(lock, deadline, [this] { return m_stopping; }))
                  return;
              while (!m_stopping) {
                  // Opening for writing without waiting succeeds only while a reader waits.
                  const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0) {
                      ::close(fd);
                      m_readerWaited = true;
                  }
                  m_stopped.wait_for(lock, std::chrono::milliseconds(20));
              }
          })
    {
    }
    ~NamedPipe()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_stopped.notify_all();
        m_watchdog.join();
    }
    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;

    bool isValid() const { return m_made; }
    // A reader waited on the pipe past the deadline.
    bool readerWaited() const { return m_readerWaited; }
    // Still a named pipe: nothing was written in its place.
    bool isStillAPipe() const
    {
        struct stat info;
        return ::lstat(m_path.constData(), &info) == 0 && S_ISFIFO(info.st_mode);
    }

private:
    const QByteArray m_path;
    const bool m_made;
    std::atomic<bool> m_readerWaited{false};
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stopping = false;
    std::thread m_watchdog; // last: started when everything else is ready
};
