#pragma once

#include <QString>
#include <QStringList>

// Job list files: paths of videos or folders as UTF-8 text, one a line. The command line takes
// one as its first argument "*.tmp"; Open List and Save List read and write them.

// The file dialogs' filter and the extension a name typed without one gets.
inline const QString kJobListFilter = QStringLiteral("Job lists (*.tmp)|*.tmp");
inline const QString kJobListSuffix = QStringLiteral("tmp");

// The lines of a list file, as written; "" for a file that is not read. Only a regular file of a
// bounded size is read: a named pipe would block the start, a link to a device fill the memory.
QStringList readJobList(const QString& listFile);

// Replaces the file with one line for each path, or leaves it as it was and returns false when
// the system refused.
bool writeJobList(const QString& listFile, const QStringList& paths);
