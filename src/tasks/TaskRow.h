#pragma once

#include "ClipFacts.h"

#include <QString>
#include <optional>

// Where a row stands, from adding through the conversion and the join.
enum class TaskStatus
{
    Ok,
    Converting,
    WaitingForJoining,
    Joining,
    Complete,
    Stop,
    Failed, // the encoder failed, or wrote no usable file
};

// The status as the Status column shows it: "OK", "Converting", "Waiting for joining",
// "Joining", "Complete", "Stop", "Failed".
QString displayText(TaskStatus status);

// One input video of the task list, as added and as the job reads and marks it.
struct TaskRow
{
    QString path;
    QString length;    // duration text, "00:03:07.4"
    QString frameSize; // width "x" height as it plays
    TaskStatus status = TaskStatus::Ok;
    QString name; // the file name without directory and extension; never shown
    ClipFacts facts{};
    // Where the part taken begins and ends, in seconds from the clip's first picture; none: its
    // beginning, its end.
    std::optional<double> inPoint{};
    std::optional<double> outPoint{};

    // The length in seconds; -1 when the text is not a duration.
    double lengthSeconds() const;
    bool isTrimmed() const { return inPoint || outPoint; }
    // The seconds of the part taken: the length between the points; -1 as lengthSeconds when the
    // whole clip's length is unknown and no out point is set.
    double partSeconds() const;

    bool operator==(const TaskRow&) const = default;
};
