#pragma once

#include <QString>

// Duration texts: hours:minutes:seconds, each of at least two digits, with "." and the tenths
// when they are not zero ("00:03:07.4", "123:00:00").

// seconds >= 0. Tenths are rounded half to even; ten tenths carry into the seconds.
QString FormatDuration(double seconds);

// A time in a clip to the millisecond, always with its three digits: "00:01:02.345". ms >= 0.
QString FormatMilliseconds(qint64 ms);

// The seconds of a duration text, or -1 when the text is not one. The seconds field may carry
// any decimal fraction but must not begin with the point.
double ParseDuration(const QString& text);
