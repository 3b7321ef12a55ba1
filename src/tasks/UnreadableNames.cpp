#include "UnreadableNames.h"

#include "SupportedInputs.h"
#include "paths/PathText.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <dirent.h>
#include <memory>

namespace {

constexpr QChar kReplacement = QChar(0xFFFD);
// A notice names at most this many; a folder of hundreds would not fit on the screen.
constexpr qsizetype kNamesShown = 10;

} // namespace

bool isUnreadableName(const QString& path)
{
    return path.contains(kReplacement) && !QFileInfo::exists(path);
}

QStringList unreadableSupportedNames(const QString& folder)
{
    QStringList names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(QFile::encodeName(folder).constData()),
                                                  closedir);
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir.get())) {
        const QByteArray raw(entry->d_name);
        if (raw.startsWith('.'))
            continue;
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) != raw && HasListedExt(name, supportedExtensions()))
            names << withTrailingSlash(folder) + name;
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), collator);
    return names;
}

QString unreadableNamesText(const QStringList& names)
{
    QStringList shown = names.mid(0, kNamesShown);
    for (QString& name : shown)
        name = QLatin1Char('"') + name + QLatin1Char('"');
    QString list = shown.join(QStringLiteral(", "));
    if (names.size() > kNamesShown)
        list += QStringLiteral(" and %1 more").arg(names.size() - kNamesShown);
    return QStringLiteral("%1 could not be added because %2 not valid UTF-8 text (%3 marks what "
                          "cannot be shown): %4. Please rename %5 and add %5 again.")
        .arg(names.size() == 1 ? QStringLiteral("This file") : QStringLiteral("These files"),
             names.size() == 1 ? QStringLiteral("its name is") : QStringLiteral("their names are"),
             QString(kReplacement), list,
             names.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
}
