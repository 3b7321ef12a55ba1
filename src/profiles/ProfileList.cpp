#include "ProfileList.h"

#include "paths/PathText.h"

#include <QDir>
#include <algorithm>

namespace {

const QString kProfileExtension = QStringLiteral(".bpf");

// Without regard to letter case; names that differ only in case keep a fixed order.
bool beforeInList(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

} // namespace

QStringList ListFilesWithExt(const QString& directory, const QString& extension)
{
    // Without QDir::Hidden and QDir::System: no hidden files, sockets, devices or pipes.
    const QStringList entries = QDir(directory).entryList(QDir::Files, QDir::NoSort);
    QStringList matching;
    for (const QString& name : entries) {
        const QString nameExtension = extensionOf(name);
        if (!nameExtension.isEmpty() && nameExtension.compare(extension, Qt::CaseInsensitive) == 0)
            matching.append(name);
    }
    std::sort(matching.begin(), matching.end(), beforeInList);
    return matching;
}

QVector<ListedProfile> listProfiles(const QStringList& folders)
{
    QVector<ListedProfile> profiles;
    for (const QString& folder : folders) {
        for (const QString& fileName : ListFilesWithExt(folder, kProfileExtension)) {
            // The file's own name, whatever the letter case of its extension.
            const ListedProfile profile{baseNameOf(fileName), folder + fileName};
            const auto same = std::find_if(profiles.begin(), profiles.end(),
                                           [&](const auto& p) { return p.name == profile.name; });
            if (same != profiles.end())
                *same = profile;
            else
                profiles.append(profile);
        }
    }
    std::sort(profiles.begin(), profiles.end(),
              [](const auto& a, const auto& b) { return beforeInList(a.name, b.name); });
    return profiles;
}

QString profilePath(const QString& folder, const QString& profileName)
{
    return folder + profileName + kProfileExtension;
}

int storedProfilePosition(const QStringList& listedNames, int storedPosition,
                          const QString& storedName)
{
    if (!storedName.isEmpty() && listedNames.contains(storedName))
        return static_cast<int>(listedNames.indexOf(storedName));
    QStringList counted = listedNames;
    if (storedName.isEmpty()) {
        static const QStringList shippedSince{
            QStringLiteral("MKV - H.264 and AAC"),
            QStringLiteral("MKV - Same as the videos (no re-encoding)"),
            QStringLiteral("MP4 - Same as the videos (no re-encoding)")};
        for (const QString& name : shippedSince)
            counted.removeOne(name);
    }
    if (storedPosition < 0 || storedPosition >= counted.size())
        return -1;
    return static_cast<int>(listedNames.indexOf(counted[storedPosition]));
}
