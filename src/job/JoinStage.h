#pragma once

#include "EncoderCommand.h"
#include "JobContext.h"
#include "StageOutcome.h"

#include <QList>
#include <QString>

class JobSettings;
class TaskRows;

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
    StageOutcome join(const QString& encoderOptions, const QString& jobFolder, bool onePass);
    // One pass: the row whose part of the output holds `position`, and the current bar there.
    void followRowAt(double position);

    const JobContext& m_job;
    // One pass: the seconds of the output at which each row begins, and its length.
    QList<double> m_rowStarts;
    QList<double> m_rowDurations;
    int m_shownRow = -1;
};

// With "rename" chosen and the output existing: the first of <name>_1, <name>_2, ... in the
// same folder, with the output extension, that does not exist. Otherwise the path itself.
QString joinOutputPath(const QString& outputFile, const QString& outputExtension, bool rename);

// The file the join writes: the output file box's text made absolute, renamed as the settings
// say.
QString joinStageOutput(const QString& outputFileText, const JobSettings& settings);

// The join's encoder command: the rows' intermediates in `jobFolder` or, in one pass, the rows'
// own inputs made absolute (so that the encoder cannot take a name such as "-x.avi" for an
// option), in list order, into `output`.
EncoderCommand joinStageCommand(const TaskRows& rows, const QString& jobFolder,
                                const QString& output, const QString& encoderOptions, bool onePass);
