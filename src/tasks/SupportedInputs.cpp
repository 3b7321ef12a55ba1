#include "SupportedInputs.h"

#include "platform/DialogFilters.h"

#include <QFileInfo>

const QStringList& supportedExtensions()
{
    static const QStringList extensions{
        QStringLiteral(".avi"), QStringLiteral(".mpg"), QStringLiteral(".mpeg"),
        QStringLiteral(".mp4"), QStringLiteral(".wmv"), QStringLiteral(".mov"),
        QStringLiteral(".vob"), QStringLiteral(".asf"),
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

QString fileExtension(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

bool HasListedExt(const QString& path, const QStringList& extensions)
{
    const QString extension = fileExtension(path).toLower();
    return !extension.isEmpty() && extensions.contains(extension);
}

QString inputFileFilter()
{
    const QString mask = supportedFileMask(supportedExtensions());
    return QStringLiteral("All Support Files(") + mask + QStringLiteral(")|") + mask +
           QLatin1Char('|') + filterPairs(supportedExtensions()) + kAllFilesFilter;
}
