#include "JobListFile.h"

#include "paths/WholeFile.h"

QStringList readJobList(const QString& listFile)
{
    const WholeFile file = readWholeFile(listFile);
    if (!file.wasRead())
        return {};
    return QString::fromUtf8(file.bytes).split(QLatin1Char('\n'));
}

bool writeJobList(const QString& listFile, const QStringList& paths)
{
    QByteArray text;
    for (const QString& path : paths)
        text += path.toUtf8() + '\n';
    return replaceWholeFile(listFile, text);
}
