#include "ProgramInfo.h"

#include "paths/PathText.h"

#include <QFileInfo>

QString programDirectoryOf(const QString& executablePath)
{
    return withTrailingSlash(QFileInfo(executablePath).absolutePath());
}

ProgramInfo InitProgramInfo(const QString& version)
{
    ProgramInfo info;
    info.productName = QStringLiteral("Vantomel");
    info.webPage = QStringLiteral("https://vantomel.org/");
    info.companyName = QStringLiteral("The Vantomel developers");
    info.supportEmail = QStringLiteral("support@vantomel.org");
    info.salesEmail = QStringLiteral("sales@vantomel.org");
    info.projectsBuiltOn = {{
        {QStringLiteral("FFmpeg"), QStringLiteral("https://ffmpeg.org/")},
        {QStringLiteral("MediaInfo"), QStringLiteral("https://mediaarea.net/MediaInfo")},
        {QStringLiteral("Qt"), QStringLiteral("https://www.qt.io/")},
    }};
    info.version = version;
    return info;
}
