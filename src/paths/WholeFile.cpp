#include "WholeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

WholeFile problem(WholeFileProblem kind, const QString& why = {})
{
    return {kind, why, {}};
}

WholeFile tooLarge(qint64 maxBytes)
{
    constexpr qint64 megabyte = 1024 * 1024;
    const QString limit = maxBytes % megabyte == 0
                              ? QStringLiteral("%1 MB").arg(maxBytes / megabyte)
                              : QStringLiteral("%1 bytes").arg(maxBytes);
    return problem(WholeFileProblem::TooLarge, QStringLiteral("it is larger than %1").arg(limit));
}

WholeFile systemRefused(int error)
{
    return problem(
        WholeFileProblem::Unreadable,
        QStringLiteral("it could not be read (%1)").arg(QString::fromLocal8Bit(strerror(error))));
}

// Judges what a stat found; None when it is a regular file within the limit.
WholeFile judge(const struct stat& info, bool link, qint64 maxBytes)
{
    const QString linkTo = link ? QStringLiteral("a link to ") : QString();
    if (S_ISDIR(info.st_mode))
        return problem(WholeFileProblem::NotRegular,
                       QStringLiteral("it is %1a folder, not a file").arg(linkTo));
    if (!S_ISREG(info.st_mode)) {
        const QString kind = S_ISFIFO(info.st_mode)                           ? "a named pipe"
                             : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "a device"
                             : S_ISSOCK(info.st_mode)                         ? "a socket"
                                                                              : "something";
        return problem(WholeFileProblem::NotRegular,
                       QStringLiteral("it is %1%2, not a regular file").arg(linkTo, kind));
    }
    if (info.st_size > maxBytes)
        return tooLarge(maxBytes);
    return {};
}

// The file opened for reading, or why not. Stats first, so that nothing but a regular file is
// opened at all, and again after opening, in case the path was changed in between; a named pipe
// put there meanwhile is opened without waiting for a writer.
WholeFile openChecked(const QString& path, qint64 maxBytes, int& fd)
{
    fd = -1;
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (name.isEmpty() || ::stat(name.constData(), &info) != 0) {
        const int error = name.isEmpty() ? ENOENT : errno;
        if (error == ENOENT || error == ENOTDIR)
            return problem(WholeFileProblem::Missing);
        return systemRefused(error);
    }
    struct stat linkInfo;
    const bool link = ::lstat(name.constData(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode);
    if (WholeFile judged = judge(info, link, maxBytes); !judged.wasRead())
        return judged;

    do
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return problem(WholeFileProblem::Missing);
        return systemRefused(error);
    }
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        fd = -1;
        return systemRefused(error);
    }
    if (WholeFile judged = judge(info, link, maxBytes); !judged.wasRead()) {
        ::close(fd);
        fd = -1;
        return judged;
    }
    return {};
}

} // namespace

WholeFile checkWholeFile(const QString& path, qint64 maxBytes)
{
    int fd = -1;
    WholeFile checked = openChecked(path, maxBytes, fd);
    if (fd >= 0)
        ::close(fd);
    return checked;
}

WholeFile readWholeFile(const QString& path, qint64 maxBytes)
{
    int fd = -1;
    WholeFile file = openChecked(path, maxBytes, fd);
    if (fd < 0)
        return file;
    struct stat info;
    const qint64 expected = ::fstat(fd, &info) == 0 ? qint64(info.st_size) : 0;
    // One byte beyond what is expected shows a file that grew; files of /proc say 0.
    QByteArray bytes(qMin(expected, maxBytes) + 1, Qt::Uninitialized);
    qint64 got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > maxBytes)
                break;
            bytes.resize(qMin(qMax(got * 2, qint64(4096)), maxBytes + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return systemRefused(error);
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    if (got > maxBytes)
        return tooLarge(maxBytes);
    bytes.truncate(got);
    file.bytes = std::move(bytes);
    return file;
}

bool replaceWholeFile(const QString& path, const QByteArray& bytes)
{
    if (isReadOnlyFile(path))
        return false;
    // Unbuffered, so that a short write (disk full, size limit) shows in write()'s count:
    // QSaveFile's buffered flush would commit a truncated file as if all were well.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool isReadOnlyFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat facts = {};
    if (::stat(name.constData(), &facts) != 0)
        return false;
    if (::geteuid() == 0)
        return (facts.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return ::access(name.constData(), W_OK) != 0 && errno == EACCES;
}

bool isWritableFolder(const QString& path)
{
    // access() tells a read-only mount apart even for root.
    return ::access(QFile::encodeName(path).constData(), W_OK | X_OK) == 0;
}

QString unableToWriteMessage(const QString& path)
{
    return QStringLiteral("Unable to write to %1").arg(path);
}
