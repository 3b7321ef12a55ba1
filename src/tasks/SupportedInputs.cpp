#include "SupportedInputs.h"

#include "paths/PathText.h"
#include "platform/DialogFilters.h"

const QStringList& supportedExtensions()
{
    static const QStringList extensions{
        QStringLiteral(".avi"),
        QStringLiteral(".mpg"),
        QStringLiteral(".mpeg"),
        QStringLiteral(".mp4"),
        QStringLiteral(".wmv"),
        QStringLiteral(".mov"),
        QStringLiteral(".vob"),
        QStringLiteral(".asf"),
        // What cameras, phones, recorders and the web give today; libavformat reads them all.
        QStringLiteral(".mkv"),
        QStringLiteral(".webm"),
        QStringLiteral(".flv"),
        QStringLiteral(".m4v"),
        QStringLiteral(".3gp"),
        QStringLiteral(".ts"),
        QStringLiteral(".mts"),
        QStringLiteral(".m2ts"),
    };
    return extensions;
}

QString supportedFileMask(const QStringList& extensions)
{
    QString mask;
    for (const QString& extension : extensions)
        mask += QLatin1Char('*') + extension + QLatin1Char(';');
    return mask;
}

bool HasListedExt(const QString& path, const QStringList& extensions)
{
    const QString extension = extensionOf(path).toLower();
    return !extension.isEmpty() && extensions.contains(extension);
}

QString inputFileFilter()
{
    const QString mask = supportedFileMask(supportedExtensions());
    return QStringLiteral("All Support Files(") + mask + QStringLiteral(")|") + mask +
           QLatin1Char('|') + filterPairs(supportedExtensions()) + kAllFilesFilter;
}
