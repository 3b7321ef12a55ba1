#include "Durations.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace {

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString FormatDuration(double seconds)
{
    qint64 whole = static_cast<qint64>(std::trunc(seconds));
    // std::nearbyint rounds halves to even in the default rounding mode.
    auto tenths = static_cast<int>(std::nearbyint((seconds - static_cast<double>(whole)) * 10.0));
    if (tenths == 10) {
        ++whole;
        tenths = 0;
    }
    const qint64 hours = whole / 3600;
    const qint64 minutes = (whole - hours * 3600) / 60;
    const qint64 secs = whole - hours * 3600 - minutes * 60;
    QString text = twoDigits(hours) + QLatin1Char(':') + twoDigits(minutes) + QLatin1Char(':') +
                   twoDigits(secs);
    if (tenths != 0)
        text += QLatin1Char('.') + QString::number(tenths);
    return text;
}

QString FormatMilliseconds(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return twoDigits(seconds / 3600) + QLatin1Char(':') + twoDigits(seconds / 60 % 60) +
           QLatin1Char(':') + twoDigits(seconds % 60) + QLatin1Char('.') +
           QStringLiteral("%1").arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

double ParseDuration(const QString& text)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[0-9]+$"));
    static const QRegularExpression decimalNumber(QStringLiteral("^[0-9]+(\\.[0-9]*)?$"));

    const qsizetype firstColon = text.indexOf(QLatin1Char(':'));
    if (firstColon < 0)
        return -1;
    const qsizetype secondColon = text.indexOf(QLatin1Char(':'), firstColon + 1);
    if (secondColon < 0)
        return -1;
    const QString hoursText = text.left(firstColon);
    const QString minutesText = text.mid(firstColon + 1, secondColon - firstColon - 1);
    const QString secondsText = text.mid(secondColon + 1);
    if (!wholeNumber.match(hoursText).hasMatch() || !wholeNumber.match(minutesText).hasMatch() ||
        !decimalNumber.match(secondsText).hasMatch())
        return -1;

    bool hoursOk = false;
    bool minutesOk = false;
    const qint64 hours = hoursText.toLongLong(&hoursOk);
    const qint64 minutes = minutesText.toLongLong(&minutesOk);
    constexpr qint64 kLargest = std::numeric_limits<qint64>::max();
    if (!hoursOk || !minutesOk || minutes > kLargest / 60 ||
        hours > (kLargest - minutes * 60) / 3600)
        return -1;
    return static_cast<double>(hours * 3600 + minutes * 60) + secondsText.toDouble();
}
