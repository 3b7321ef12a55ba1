#pragma once

#include <QString>
#include <QStringList>

// Job list files: paths of videos or folders as UTF-8 text, one a line; a part of a video is a
// group line (ClipPart.h). The command line takes one as its first argument "*.tmp"; Open List
// and Save List read and write them.

// The file dialogs' filter and the extension a name typed without one gets.
inline const QString kJobListFilter = QStringLiteral("Job lists (*.tmp)|*.tmp");
inline const QString kJobListSuffix = QStringLiteral("tmp");

// Far more videos than any job joins: a list longer than this is no job list, and probing each
// of its names would hold the window for minutes.
inline constexpr int kMaxJobListEntries = 10000;

struct JobList
{
    QStringList lines; // as written; none when the list was not read
    // Why it was not read, in plain words: "it is a named pipe, not a regular file", "it is not
    // a text file", ...; empty when it was read or is missing.
    QString problem;
};

// The lines of a list file. Only a regular file of a bounded size, holding text and at most
// kMaxJobListEntries names, is read: a named pipe would block the start, a link to a device fill
// the memory.
JobList readJobList(const QString& listFile);

// Replaces the file with the lines, or leaves it as it was and returns false when the system
// refused.
bool writeJobList(const QString& listFile, const QStringList& lines);
