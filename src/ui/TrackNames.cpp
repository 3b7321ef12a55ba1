#include "TrackNames.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <string_view>

QString languageName(const std::string& code)
{
    const QString text = QString::fromStdString(code);
    const QLocale::Language language = QLocale::codeToLanguage(text, QLocale::ISO639Part2);
    return language == QLocale::AnyLanguage ? text.toHtmlEscaped()
                                            : QLocale::languageToString(language);
}

KeptTracks keptTracks(const QList<vantomel::TrackLine>& tracks)
{
    KeptTracks parted;
    for (const vantomel::TrackLine& track : tracks)
        (track.number > 0 ? parted.kept : parted.dropped) << track;
    return parted;
}

QString listed(const QStringList& names)
{
    if (names.size() < 2)
        return names.join(QString());
    return names.first(names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           names.last();
}

QString tracksListed(const QList<vantomel::TrackLine>& tracks)
{
    QStringList parts;
    for (const char* type : {"sound", "subtitle", "data"}) {
        QStringList details;
        for (const vantomel::TrackLine& track : tracks)
            if (track.type == type)
                details << (track.type == "data"
                                ? QString::fromStdString(track.codec).toHtmlEscaped()
                                : languageName(track.language));
        if (details.isEmpty())
            continue;
        details.removeAll(QString());
        const qsizetype count = std::count_if(tracks.begin(), tracks.end(),
                                              [type](const auto& t) { return t.type == type; });
        QString part = std::string_view(type) == "subtitle"
                           ? (count == 1 ? QStringLiteral("subtitles")
                                         : QStringLiteral("%1 subtitle tracks").arg(count))
                       : count == 1
                           ? QStringLiteral("a %1 track").arg(QLatin1String(type))
                           : QStringLiteral("%1 %2 tracks").arg(count).arg(QLatin1String(type));
        if (!details.isEmpty())
            part += QStringLiteral(" (%1)").arg(details.join(QStringLiteral(", ")));
        parts << part;
    }
    return listed(parts);
}
