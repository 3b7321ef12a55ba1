#pragma once

#include <QString>
#include <QStringList>

// Names of the ordinary, visible files directly in `directory` whose extension (".bpf", with
// the dot) matches `extension` in any letter case, sorted without regard to letter case.
// A missing or unreadable directory gives an empty list.
QStringList ListFilesWithExt(const QString& directory, const QString& extension);

// The profiles folder of a program directory (which ends in a separator).
QString profilesDirectory(const QString& programDirectory);

// The profile names for the profile box: each file name cut before its last ".".
QStringList listProfileNames(const QString& programDirectory);

// Where the profile of that name is looked for; the extension is written in lower case.
QString profilePath(const QString& programDirectory, const QString& profileName);
