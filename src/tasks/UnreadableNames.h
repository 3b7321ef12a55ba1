#pragma once

#include <QString>
#include <QStringList>

// File names that are not valid UTF-8 text. Qt reads each byte it cannot decode as U+FFFD, and
// the name it gives back no longer opens, so neither MediaInfo nor the encoder could read such a
// file: the user is told which ones were left out instead.

// A path that came through Qt with an undecodable name: it holds U+FFFD and names nothing.
bool isUnreadableName(const QString& path);

// The supported, not hidden files lying directly in the folder whose names are not valid UTF-8:
// their paths as far as they can be shown, sorted regardless of letter case. Qt's own listings
// leave them out without a word.
QStringList unreadableSupportedNames(const QString& folder);

// The notice about files left out for their names.
inline const QString kUnreadableNamesCaption = QStringLiteral("File Name Not Readable");
QString unreadableNamesText(const QStringList& names);
