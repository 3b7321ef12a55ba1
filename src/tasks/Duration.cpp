#include "Duration.h"
#include <cmath>
QString FormatDuration(double seconds)
{
    const qint64 s = static_cast<qint64>(std::nearbyint(seconds));
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}
