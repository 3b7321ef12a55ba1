#include "ProfileList.h"

#include <QDir>
#include <algorithm>

QStringList ListFilesWithExt(const QString& directory, const QString& extension)
{
    // Without QDir::Hidden and QDir::System: no hidden files, sockets, devices or pipes.
    const QStringList entries = QDir(directory).entryList(QDir::Files, QDir::NoSort);
    QStringList matching;
    for (const QString& name : entries) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0 && name.mid(dot).compare(extension, Qt::CaseInsensitive) == 0)
            matching.append(name);
    }
    std::sort(matching.begin(), matching.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return matching;
}

QString profilesDirectory(const QString& programDirectory)
{
    return programDirectory + QStringLiteral("Profiles/");
}

QStringList listProfileNames(const QString& programDirectory)
{
    QStringList names =
        ListFilesWithExt(profilesDirectory(programDirectory), QStringLiteral(".bpf"));
    for (QString& name : names)
        name.truncate(name.lastIndexOf(QLatin1Char('.')));
    return names;
}

QString profilePath(const QString& programDirectory, const QString& profileName)
{
    return profilesDirectory(programDirectory) + profileName + QStringLiteral(".bpf");
}
