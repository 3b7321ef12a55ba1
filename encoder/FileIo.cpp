#include "FileIo.h"

#include "FfmpegPointers.h"
#include "StopSignal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace asapi {
namespace {

constexpr int bufferSize = 64 * 1024;

// What the callbacks know of their file; owned by the I/O context.
struct Channel
{
    int fd;
    bool interruptible;
};

int readPacket(void* opaque, uint8_t* buffer, int size)
{
    const int fd = static_cast<Channel*>(opaque)->fd;
    while (true) {
        // Nothing is read after a stop: the input being read ends where it is.
        if (stopRequested())
            return AVERROR_EXIT;
        ssize_t count;
        {
            BlockingCall call;
            count = ::read(fd, buffer, static_cast<size_t>(size));
        }
        if (count > 0)
            return static_cast<int>(count);
        if (count == 0)
            return AVERROR_EOF;
        if (errno != EINTR)
            return AVERROR(errno);
    }
}

int writePacket(void* opaque, uint8_t* buffer, int size)
{
    const Channel& channel = *static_cast<Channel*>(opaque);
    int written = 0;
    while (written < size) {
        ssize_t count;
        if (channel.interruptible) {
            BlockingCall call;
            count = ::write(channel.fd, buffer + written, static_cast<size_t>(size - written));
        } else {
            count = ::write(channel.fd, buffer + written, static_cast<size_t>(size - written));
        }
        if (count >= 0) {
            written += static_cast<int>(count);
            continue;
        }
        if (errno != EINTR)
            return AVERROR(errno);
        if (channel.interruptible && stopRequested())
            return AVERROR_EXIT;
    }
    return size;
}

int64_t seek(void* opaque, int64_t offset, int whence)
{
    const int fd = static_cast<Channel*>(opaque)->fd;
    if (whence & AVSEEK_SIZE) {
        struct stat facts = {};
        if (fstat(fd, &facts) != 0)
            return AVERROR(errno);
        return S_ISREG(facts.st_mode) ? facts.st_size : AVERROR(ENOSYS);
    }
    const off_t position = lseek(fd, offset, whence & ~AVSEEK_FORCE);
    return position < 0 ? AVERROR(errno) : position;
}

IoContextPtr makeContext(int fd, bool writing, bool seekable, bool interruptible)
{
    // Each piece is freed by its owner until the context owns it.
    std::unique_ptr<unsigned char, decltype(&av_free)> buffer(
        static_cast<unsigned char*>(allocated(av_malloc(bufferSize))), av_free);
    std::unique_ptr<Channel, decltype(&av_free)> channel(
        static_cast<Channel*>(allocated(av_malloc(sizeof(Channel)))), av_free);
    *channel = Channel{fd, interruptible};
    IoContextPtr context(allocated(avio_alloc_context(
        buffer.get(), bufferSize, writing ? 1 : 0, channel.get(), writing ? nullptr : readPacket,
        writing ? writePacket : nullptr, seekable ? seek : nullptr)));
    buffer.release();
    channel.release();
    return context;
}

} // namespace

void IoContextDeleter::operator()(AVIOContext* context) const
{
    av_freep(&context->opaque);
    av_freep(&context->buffer);
    avio_context_free(&context);
}

std::string systemErrorText(int error)
{
    return std::strerror(error);
}

int openInterruptibly(const std::string& path, int flags, mode_t mode)
{
    while (true) {
        if (stopRequested())
            throw EncoderError::stopped();
        int fd;
        {
            BlockingCall call;
            fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
        }
        if (fd >= 0)
            return fd;
        if (errno != EINTR)
            return -errno;
    }
}

void FileDescriptor::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

InputFile::InputFile(const std::string& path) : m_path(path)
{
    const int fd = openInterruptibly(path, O_RDONLY);
    if (fd < 0)
        throw EncoderError::unreadableInput("Cannot open " + clipName(path) + ": " +
                                            systemErrorText(-fd) + ".");
    m_fd.reset(fd);
    const bool seekable = lseek(fd, 0, SEEK_CUR) >= 0;
    m_context = makeContext(fd, false, seekable, true);
}

void InputFile::setAside()
{
    struct stat facts = {};
    if (m_setAsideAt >= 0 || fstat(m_fd.get(), &facts) != 0 || !S_ISREG(facts.st_mode))
        return;
    const off_t at = lseek(m_fd.get(), 0, SEEK_CUR);
    if (at < 0)
        return;
    m_setAsideAt = at;
    m_fd.reset();
}

void InputFile::takeUp()
{
    if (m_setAsideAt < 0)
        return;
    const int fd = openInterruptibly(m_path, O_RDONLY);
    if (fd < 0 || lseek(fd, m_setAsideAt, SEEK_SET) != m_setAsideAt) {
        const int error = fd < 0 ? -fd : errno;
        FileDescriptor opened(fd);
        throw EncoderError::unreadableInput("Cannot read " + clipName(m_path) +
                                            " again: " + systemErrorText(error) + ".");
    }
    m_fd.reset(fd);
    static_cast<Channel*>(m_context->opaque)->fd = fd;
    m_setAsideAt = -1;
}

IoContextPtr writingContext(int fd, bool seekable, bool interruptible)
{
    return makeContext(fd, true, seekable, interruptible);
}

} // namespace asapi
