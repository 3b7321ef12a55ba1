#pragma once

#include <QString>

// One input video of the task list, as added and as the job reads and marks it.
struct TaskRow
{
    QString path;
    QString length;    // duration text, "00:03:07.4"
    QString frameSize; // width "x" height, shown only
    QString status;    // one of the TaskStatus texts
    QString name;      // the file name without directory and extension; never shown

    // The length in seconds; -1 when the text is not a duration.
    double lengthSeconds() const;
};

// The texts of a row's Status column, from adding through the conversion and the join.
namespace TaskStatus {
inline const QString kOk = QStringLiteral("OK");
inline const QString kConverting = QStringLiteral("Converting");
inline const QString kWaitingForJoining = QStringLiteral("Waiting for joining");
inline const QString kJoining = QStringLiteral("Joining");
inline const QString kComplete = QStringLiteral("Complete");
inline const QString kStop = QStringLiteral("Stop");
} // namespace TaskStatus
