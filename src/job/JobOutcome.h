#pragma once

#include "ResultCheck.h"

#include <QString>
#include <optional>

// How a job that ran ended, for the front end to act on: the window's completion actions, or
// the command line's exit code and report. A job that a check or a question kept from starting
// has no outcome.
struct JobOutcome
{
    enum class Kind
    {
        Completed,
        Stopped,
        Failed,
        FailedToStart // the encoder could not be run
    };

    Kind kind = Kind::Completed;
    QString outputFile; // as the output file box named it
    // The file the join wrote: the output file, or the name beside it that Rename chose; empty
    // unless completed.
    QString writtenPath;
    // From the first encoder run to the joined file, in seconds; 0 unless completed.
    double runSeconds = 0;
    // What the check of the joined video measured; nothing when it was not checked.
    std::optional<ResultCheck::Figures> check;
    QString remark;      // what that check found wrong; empty for a good one
    QString silenceNote; // the inputs whose sound was replaced by silence; empty for none
    QString droppedNote; // the tracks the output's container could not keep; empty for none
    QString keptLogPath; // the encoder's log a failed job kept; empty when it kept none
    // Stop was pressed once the join could no longer be undone: the job completed anyway.
    bool stopCameTooLate = false;
    // The window closes after the job: how it ended is not told.
    bool untold = false;
};

// "The joining is completed successfully.", where the video was written (and, when the output
// existed and the join took another name, which), the check's remark, the silence note and the
// note on dropped tracks.
QString completionText(const JobOutcome& outcome);
