#include "DialogFilters.h"

#include "Seams.h"

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

QStringList outputTypeList()
{
    return {QStringLiteral(".avi"), QStringLiteral(".mpg"), QStringLiteral(".mp4"),
            QStringLiteral(".wmv"), QStringLiteral(".mov"), QStringLiteral(".vob"),
            QStringLiteral(".asf"), QStringLiteral(".flv")};
}

QString outputFileFilter()
{
    return filterPairs(outputTypeList()) + kAllFilesFilter;
}

QString chooseOutputFile(Dialogs& dialogs, QWidget* owner)
{
    return dialogs.saveFile(owner, outputFileFilter(), kOutputFileDefaultSuffix);
}
