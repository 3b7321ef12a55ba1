#pragma once

#include "EncoderCommand.h"
#include "JobContext.h"
#include "ProgressTracker.h"
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
    RowFollower(JobView& view, const TaskRows& rows);

    // Before the run: no row shown yet, both bars at 0.
    void reset();
    // The encoder is at `position` seconds of the output.
    void follow(double position);

private:
    JobView& m_view;
    const TaskRows& m_rows;
    // The seconds of the output at which each row begins, and its length.
    QList<double> m_rowStarts;
    QList<double> m_rowDurations;
    int m_shownRow = -1;
};

// Joins the rows in list order into the output file with the profile's options: the
// intermediates of the conversion stage, the total bar running from 50 to 100; or, in one pass,
// the original inputs at the conversion's frame rate, the total bar running from 0 to 100 and the
// file name and current bar following the row whose part of the output is being written.
class JoinStage
{
public:
    explicit JoinStage(const JobContext& context) : m_job(context) {}

    StageOutcome run(const QString& encoderOptions, const QString& jobFolder);
    StageOutcome runOnePass(const QString& encoderOptions);

private:
    // How one join is run; the ways of joining differ only in this.
    struct Plan
    {
        QStringList inputs; // one per row, in list order
        std::function<EncoderCommand(const QStringList& inputs, const QString& output)> command;
        ProgressRules progress;
        RowFollower* rowFollower = nullptr; // none: the current bar follows the whole join
    };

    StageOutcome join(const Plan& plan);

    const JobContext& m_job;
};

// With "rename" chosen and the output existing: the first of <name>_1, <name>_2, ... in the
// same folder, with the output extension, that does not exist. Otherwise the path itself.
QString joinOutputPath(const QString& outputFile, const QString& outputExtension, bool rename);
