#pragma once

extern "C" {
#include <libavformat/avio.h>
}

#include <memory>
#include <string>
#include <sys/types.h>

namespace asapi {

// Files reach FFmpeg through I/O contexts of our own over plain file descriptors: a path is
// always a file name, never a protocol URL ("file:2.asf" and "clip:1.asf" are files of those
// names), and a stop ends an open, read or write that waits on a FIFO or a stalled device.

struct IoContextDeleter
{
    void operator()(AVIOContext* context) const;
};
using IoContextPtr = std::unique_ptr<AVIOContext, IoContextDeleter>;

// The descriptor, or -errno. Throws the stop error when a stop cut a waiting open short.
int openInterruptibly(const std::string& path, int flags, mode_t mode = 0);

// A file descriptor closed with its owner.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    void reset(int fd = -1);

private:
    int m_fd;
};

// An input opened for reading. Throws EncoderError naming the path when it cannot be opened,
// the stop error when a stop cut the open short.
class InputFile
{
public:
    explicit InputFile(const std::string& path);
    AVIOContext* context() const { return m_context.get(); }

    // A join of more inputs than the process may hold open reads their headers first and their
    // packets later: a file set aside closes its descriptor, and one taken up opens it again
    // where it was, under the context that read it. A FIFO or device stays open. takeUp throws
    // EncoderError naming the path when the file cannot be opened again.
    void setAside();
    void takeUp();

private:
    std::string m_path;
    FileDescriptor m_fd;
    IoContextPtr m_context;
    off_t m_setAsideAt = -1; // where the descriptor stood when it was closed
};

// Writes into fd; with interruptible, a stop ends a write that has to wait (a FIFO, a device).
// Seekable when seekable is set. The descriptor stays the caller's.
IoContextPtr writingContext(int fd, bool seekable, bool interruptible);

// The text of an errno value, for messages.
std::string systemErrorText(int error);

} // namespace asapi
