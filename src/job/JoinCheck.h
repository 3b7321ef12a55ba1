#pragma once

#include "EncoderCommand.h"
#include "JoinStage.h"

#include <QString>

class JobOutput;
class TaskRows;
namespace prefs {
struct GeneralSettings;
}

// The join of the task list, made in one place from its rows, the current profile and the
// General Settings as they are when asked: the plan Start runs, and the command Start has the
// encoder check first. The task list's copy outlook has the same command checked, so that what
// the list says and what Start does agree.
class JoinCheck
{
public:
    JoinCheck(const TaskRows& rows, const JobOutput& output,
              const prefs::GeneralSettings& settings);

    // A copy of the originals, or one pass over them, or the intermediates in jobFolder. A copy
    // may write the parameter sets in the stream when the General Settings consent to it.
    JoinPlan plan(const QString& jobFolder) const;
    // The profile's picture size with the General Settings' shape and frame rate.
    PictureRules pictureRules() const;
    // A copy always joins the originals in one pass.
    bool joinsInOnePass() const;
    // The file the join writes for the output file box's text, with the profile's extension as
    // Start gives it.
    QString writtenPath(const QString& outputFileText) const;
    // The command Start checks for a join that writes writtenPath. The job's folder is made
    // only once nothing can refuse the job, and the check opens no intermediate: one inside
    // the temporary folder stands in for it.
    EncoderCommand command(const QString& writtenPath) const;

private:
    const TaskRows& m_rows;
    const JobOutput& m_output;
    const prefs::GeneralSettings& m_settings;
};

// The output file box's text as Start takes it: the old extension stays, movie.avi becomes
// movie.avi.wmv.
QString withOutputExtension(const QString& outputFileText, const QString& extension);
