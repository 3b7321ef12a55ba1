#pragma once

#include "prefs/Preferences.h"

#include <QtGlobal>

class EncoderRuns;
class EncoderStep;
class JobOutput;
class JobView;
class TaskRows;

// Where a join job is. The job alone changes it; the stages read it to notice a Stop.
enum class RunState : qint32
{
    Idle = 0,
    Running = 1,
    Stopped = 2
};

// What both stages work with.
struct JobContext
{
    JobView& view;
    TaskRows& rows;
    const JobOutput& output;
    const prefs::GeneralSettings& settings;
    EncoderRuns& encoders;
    EncoderStep& step;
    const RunState& runState;

    bool stopRequested() const { return runState == RunState::Stopped; }
};
