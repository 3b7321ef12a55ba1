#include "ClipFacts.h"

namespace {

QString channelsText(int channels)
{
    switch (channels) {
    case 1:
        return QStringLiteral("mono");
    case 2:
        return QStringLiteral("stereo");
    case 6:
        return QStringLiteral("5.1");
    case 8:
        return QStringLiteral("7.1");
    default:
        return QStringLiteral("%1 channels").arg(channels);
    }
}

} // namespace

QString soundFactsText(const QString& codec, double sampleRate, int channels)
{
    QString text = codec;
    if (sampleRate > 0)
        text += QStringLiteral(" %1 kHz").arg(QString::number(sampleRate / 1000.0, 'g', 4));
    if (channels > 0)
        text += QLatin1Char(' ') + channelsText(channels);
    return text;
}

QString fileSizeText(qint64 bytes)
{
    if (bytes < 0)
        return {};
    if (bytes < 1000)
        return QStringLiteral("%1 B").arg(bytes);
    const char* units[] = {"KB", "MB", "GB", "TB"};
    double value = bytes / 1000.0;
    int unit = 0;
    while (value >= 999.95 && unit < 3) {
        value /= 1000.0;
        ++unit;
    }
    // Three figures at most: "850 KB", "12.3 MB", "1.2 GB".
    return QStringLiteral("%1 %2").arg(QString::number(value, 'f', value < 100 ? 1 : 0),
                                       QLatin1String(units[unit]));
}

QString dateTakenText(const QDateTime& taken)
{
    return taken.isValid() ? taken.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                           : QString();
}
