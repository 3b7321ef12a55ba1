#include "FileFilter.h"

#include <QRegularExpression>

namespace {

QString qtPatterns(const QString& windowsPatterns)
{
    QStringList patterns;
    for (const QString& pattern : windowsPatterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        // "*.*" means every file on Windows, also those without a dot.
        patterns << (pattern.trimmed() == QLatin1String("*.*") ? QStringLiteral("*")
                                                               : pattern.trimmed());
    }
    return patterns.join(QLatin1Char(' '));
}

} // namespace

QStringList qtNameFilters(const QString& windowsFilter)
{
    static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(shownPatterns);
        filters << description.trimmed() + QStringLiteral(" (") + qtPatterns(parts[i + 1]) +
                       QLatin1Char(')');
    }
    return filters;
}
