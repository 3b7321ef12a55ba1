#pragma once

#include <QByteArray>
#include <QString>

// Reading a file that the program keeps or is handed (preferences, profiles, a list of paths)
// whole, and writing one back whole. Reading is safe: only a regular file (after following links),
// and only up to a size far beyond any real one, so that a named pipe cannot block the program and
// a link to a device cannot fill its memory. A named pipe is never opened in a way that waits for a
// writer. Unlike the path texts beside it, this asks the file system.

// 64 MiB: far beyond any real preferences file, profile or list of paths.
inline constexpr qint64 kWholeFileMaxBytes = 64 * 1024 * 1024;

enum class WholeFileProblem
{
    None,       // read whole
    Missing,    // nothing at the path, or a link to nothing
    NotRegular, // a named pipe, a device, a socket or a folder
    TooLarge,   // larger than the limit
    Unreadable, // the system refused to open or read it
};

struct WholeFile
{
    WholeFileProblem problem = WholeFileProblem::None;
    // For a message, in plain words, when the file exists but was not read:
    // "it is a named pipe, not a regular file", "it is larger than 64 MB", ...
    QString why;
    // The contents; empty unless the file was read.
    QByteArray bytes;

    bool wasRead() const { return problem == WholeFileProblem::None; }
    // Something is there, but it was not read.
    bool existsUnread() const
    {
        return problem != WholeFileProblem::None && problem != WholeFileProblem::Missing;
    }
};

WholeFile readWholeFile(const QString& path, qint64 maxBytes = kWholeFileMaxBytes);

// What readWholeFile would find, but for a read error on the way, without reading: opens the
// file and closes it again, for a check that must not read a large file twice.
WholeFile checkWholeFile(const QString& path, qint64 maxBytes = kWholeFileMaxBytes);

// Replaces the file at path with bytes in one step, creating it when missing: the old file stays
// as it was unless the new one was written completely. False when the system refused, and for
// a read-only file, which a rename would otherwise replace against the system's own rule.
bool replaceWholeFile(const QString& path, const QByteArray& bytes);

// A file that exists and may not be written: the system refuses it, or for root, which may write
// anything, it has no write permission at all.
bool isReadOnlyFile(const QString& path);
// A folder in which files may be made: neither its permissions nor a read-only mount forbid it.
bool isWritableFolder(const QString& path);

// How a refused write is told to the user: "Unable to write to <path>".
QString unableToWriteMessage(const QString& path);
