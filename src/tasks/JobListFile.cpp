#include "JobListFile.h"

#include "paths/WholeFile.h"

#include <QStringDecoder>
#include <algorithm>

JobList readJobList(const QString& listFile)
{
    const WholeFile file = readWholeFile(listFile);
    if (!file.wasRead())
        return {{}, file.why};
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(file.bytes);
    if (utf8.hasError() || file.bytes.contains('\0'))
        return {{}, QStringLiteral("it is not a text file")};
    const QStringList lines = text.split(QLatin1Char('\n'));
    const auto names = std::count_if(lines.cbegin(), lines.cend(),
                                     [](const QString& line) { return !line.trimmed().isEmpty(); });
    if (names > kMaxJobListEntries)
        return {{},
                QStringLiteral("it names %1 files, more than the %2 a job list may hold")
                    .arg(names)
                    .arg(kMaxJobListEntries)};
    return {lines, {}};
}

bool writeJobList(const QString& listFile, const QStringList& lines)
{
    QByteArray text;
    for (const QString& line : lines)
        text += line.toUtf8() + '\n';
    return replaceWholeFile(listFile, text);
}
