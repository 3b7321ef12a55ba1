#include "DialogFilters.h"

#include "Seams.h"
#include "profiles/OutputTypes.h"
#include "tasks/SupportedInputs.h"

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

QString inputFileFilter()
{
    const QString mask = supportedFileMask(supportedExtensions());
    return QStringLiteral("All Support Files(") + mask + QStringLiteral(")|") + mask +
           QLatin1Char('|') + filterPairs(supportedExtensions()) + kAllFilesFilter;
}

QString outputFileFilter(const QString& outputExtension)
{
    QStringList types = outputTypeList();
    const qsizetype own = types.indexOf(outputExtension.toLower());
    if (own > 0)
        types.move(own, 0);
    return filterPairs(types) + kAllFilesFilter;
}

QString chooseOutputFile(Dialogs& dialogs, QWidget* owner, const QString& outputExtension)
{
    // Before a profile is loaded there is no extension; AVI is the program's first output type.
    const QString suffix =
        outputExtension.isEmpty() ? outputTypeList().constFirst() : outputExtension;
    // Start asks before it replaces an existing output file, once the file is really written.
    return dialogs.saveFile(owner, outputFileFilter(suffix), suffix.mid(1),
                            ExistingFileQuestion::Caller);
}
