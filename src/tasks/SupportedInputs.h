#pragma once

#include <QString>
#include <QStringList>

// The input kinds the task list takes from the command line, drops and folders.

// ".avi", ".mpg", ".mpeg", ".mp4", ".wmv", ".mov", ".vob", ".asf", then ".mkv", ".webm", ".flv",
// ".m4v", ".3gp" and the MPEG transport streams ".ts", ".mts", ".m2ts", in this order.
const QStringList& supportedExtensions();

// "*.avi;*.mpg;...;*.m2ts;": every extension as a pattern, each followed by ";".
QString supportedFileMask(const QStringList& extensions);

// True when the path's extension (from the last "." of its file name; none without a dot),
// lower-cased, equals one of the entries, which are expected in lower case.
bool HasListedExt(const QString& path, const QStringList& extensions);

// The add-files dialog's filter: all supported input files first (the one selected on opening),
// then one entry per extension, then all files.
QString inputFileFilter();
