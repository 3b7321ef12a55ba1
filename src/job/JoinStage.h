#pragma once

#include "EncoderCommand.h"
#include "JobContext.h"
#include "ProgressTracker.h"
#include "ResultCheck.h"
#include "StageOutcome.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class JobView;
class TaskRows;

// One pass: the file name and the current bar follow the row whose part of the output is being
// written.
class RowFollower
{
public:
    // clips: the rows' own, as the join reads them.
    RowFollower(JobView& view, const QList<JobClip>& clips);

    // Before the run: no row shown yet, both bars at 0.
    void reset();
    // The encoder is at `position` seconds of the output.
    void follow(double position);

private:
    JobView& m_view;
    QList<JobClip> m_clips;
    // The seconds of the output at which each row begins.
    QList<double> m_rowStarts;
    int m_shownRow = -1;
};

// How one join is run; the ways of joining differ only in this. Start checks the command of
// the same plan that the stage then runs.
struct JoinPlan
{
    QList<JobClip> inputs; // what the encoder reads: one per row, in list order
    std::function<EncoderCommand(const QList<JobClip>& inputs, const QString& output)> command;
    ProgressRules progress;
    // One pass: the file name and current bar follow the row being written, not the whole join.
    bool followsRows = false;

    EncoderCommand commandFor(const QString& output) const { return command(inputs, output); }
    // The inputs' lengths added up, as the progress counts them.
    double inputsLength() const;
};

// The intermediates of the conversion stage in `jobFolder`, the total bar running from 50 to 100.
JoinPlan intermediatesJoinPlan(const TaskRows& rows, const QString& jobFolder,
                               const QString& encoderOptions);
// The rows' own inputs, sized and timed as the conversions would have, the total bar running
// from 0 to 100.
JoinPlan onePassJoinPlan(const TaskRows& rows, const QString& encoderOptions,
                         const PictureRules& pictures);
// The rows' own inputs copied into the output as they are (the options hold "-ovc copy"), shown
// as the join in one pass is.
JoinPlan copyJoinPlan(const TaskRows& rows, const QString& encoderOptions);

// What a join run wrote: the file, and what the encoder reported of it and of inputs whose sound
// it replaced by silence.
struct JoinResult
{
    QString outputPath;
    JoinReport report;
    QStringList silencedInputs;
    QStringList droppedTracks; // what the encoder said of each
};

// Joins the rows in list order into the output file with the profile's options, as the plan
// says.
class JoinStage
{
public:
    explicit JoinStage(const JobContext& context) : m_job(context) {}

    StageOutcome run(const JoinPlan& plan);
    // After run: what it wrote.
    const JoinResult& result() const { return m_result; }

private:
    const JobContext& m_job;
    JoinResult m_result;
};

// With "rename" chosen and the output existing: the first of <name>_1, <name>_2, ... in the
// same folder, with the output extension, that does not exist. Otherwise the path itself.
QString joinOutputPath(const QString& outputFile, const QString& outputExtension, bool rename);

// The file the join writes: the output file box's text made absolute, renamed as the settings
// say.
QString joinStageOutput(const QString& outputFileText, const QString& outputExtension,
                        const prefs::GeneralSettings& settings);
