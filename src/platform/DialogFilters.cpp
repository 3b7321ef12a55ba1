#include "DialogFilters.h"

QString filterPairs(const QStringList& extensions)
{
    QString filter;
    for (const QString& extension : extensions) {
        const QString bare = extension.mid(1);
        filter += bare.toUpper() + QStringLiteral(" Files (*") + extension + QStringLiteral(")|*") +
                  extension + QLatin1Char('|');
    }
    return filter;
}
