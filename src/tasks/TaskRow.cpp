#include "TaskRow.h"

#include "Durations.h"

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
