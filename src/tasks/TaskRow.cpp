#include "TaskRow.h"

#include "Durations.h"

#include <algorithm>

QString displayText(TaskStatus status)
{
    switch (status) {
    case TaskStatus::Ok:
        return QStringLiteral("OK");
    case TaskStatus::Converting:
        return QStringLiteral("Converting");
    case TaskStatus::WaitingForJoining:
        return QStringLiteral("Waiting for joining");
    case TaskStatus::Joining:
        return QStringLiteral("Joining");
    case TaskStatus::Complete:
        return QStringLiteral("Complete");
    case TaskStatus::Stop:
        return QStringLiteral("Stop");
    case TaskStatus::Failed:
        return QStringLiteral("Failed");
    }
    return {};
}

double TaskRow::lengthSeconds() const
{
    return ParseDuration(length);
}

double TaskRow::partSeconds() const
{
    const double end = outPoint ? *outPoint : lengthSeconds();
    if (end < 0)
        return -1;
    return std::max(0.0, end - inPoint.value_or(0.0));
}
