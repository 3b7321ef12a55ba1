#pragma once

#include <QString>
#include <QtGlobal>

// Which file a path names and when it was last written: tells whether an encoder run really
// replaced its output, and whether two paths name one file (through links too).
struct FileStamp
{
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;

    static FileStamp of(const QString& path);

    bool isSameFileAs(const FileStamp& other) const
    {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
