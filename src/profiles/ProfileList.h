#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Names of the ordinary, visible files directly in `directory` whose extension (".bpf", with
// the dot) matches `extension` in any letter case, sorted without regard to letter case.
// A missing or unreadable directory gives an empty list.
QStringList ListFilesWithExt(const QString& directory, const QString& extension);

// A profile as the profile box lists it: its name and the file it is read from.
struct ListedProfile
{
    QString name;
    QString path;

    bool operator==(const ListedProfile&) const = default;
};

// The profiles of the folders (each ending in a separator): every ".bpf" file, in any letter
// case, named without its extension and sorted by name regardless of letter case. A profile in
// a later folder replaces one of the same name in an earlier folder.
QVector<ListedProfile> listProfiles(const QStringList& folders);

// Where a profile of that name would be in the folder; the extension is written in lower case.
QString profilePath(const QString& folder, const QString& profileName);

// The position in the profile box of the profile stored as chosen: the one of the stored name
// when it is listed, else the stored position. A position stored without a name counts the
// profiles as they were before the MKV and copy profiles were shipped, so that an older
// preferences file keeps its profile. -1 when none fits.
int storedProfilePosition(const QStringList& listedNames, int storedPosition,
                          const QString& storedName);
