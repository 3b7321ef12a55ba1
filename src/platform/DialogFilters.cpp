#include "DialogFilters.h"

#include "Seams.h"
#include "profiles/OutputTypes.h"

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

QString outputFileFilter()
{
    return filterPairs(outputTypeList()) + kAllFilesFilter;
}

QString chooseOutputFile(Dialogs& dialogs, QWidget* owner)
{
    return dialogs.saveFile(owner, outputFileFilter(), kOutputFileDefaultSuffix);
}
