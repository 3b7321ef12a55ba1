#pragma once

#include "platform/Seams.h"

#include <QString>

class EncoderRun;
class EncoderStep;
class JobClock;
class JobSettings;
class JobView;
class TaskRows;

// The run state of the main window.
enum RunState : qint32
{
    Idle = 0,
    Running = 1,
    Stopped = 2
};

// How a stage ended. Every end but Completed has been reported to the user already.
enum class StageEnd
{
    Completed,
    Stopped,
    Failed
};

// What both stages work with, and the clean-ups they share.
struct JobContext
{
    JobView& view;
    TaskRows& rows;
    JobSettings& settings;
    Seams seams;
    EncoderRun& encoder;
    EncoderStep& step;
    JobClock& clock;
    qint32& runState;

    // Deletes temporary directory + k + ".avi" for every row k, reached by the job or not.
    void deleteIntermediates(const QString& tempDirectory) const;
    void setAllStatuses(const QString& status) const;
    // The job is over: clock stopped, settings panel back.
    void returnToSettings() const;
    // An encoder run that failed: clean up, mark, report, idle. The message names what failed
    // and adds the encoder's own last words.
    void reportFailure(const QString& tempDirectory, const QString& what,
                       const QString& encoderMessage) const;
};
