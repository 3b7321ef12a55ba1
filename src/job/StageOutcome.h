#pragma once

#include <QList>
#include <QString>

struct EncoderOutcome;
struct FileStamp;

// What one stage of a join job came to. The stage only reports it; the job turns it into what
// the user sees.
struct StageOutcome
{
    enum class Kind
    {
        Completed,
        Stopped,       // by the user's Stop
        Failed,        // the encoder failed, or wrote no usable file
        FailedToStart, // the encoder could not be started
    };
    // The run of the join belongs to every row.
    static constexpr int kEveryRow = -1;

    Kind kind = Kind::Completed;
    // The row whose encoder run ended the stage.
    int row = kEveryRow;
    // Why it failed: the encoder's last line, that it was stopped from outside, or what is wrong
    // with the file it wrote.
    QString reason;
    // The rows of the conversions that ran beside it and were ended with it.
    QList<int> otherRows;
};

// What a run writes: an intermediate goes with the job folder, the job's output stays as the
// encoder left it.
enum class RunTarget
{
    Intermediate,
    Output,
};

// How one encoder run of `row` ended, judged once for both stages: a Stop wins over everything
// the encoder did; a crash, an exit code other than 0 (the encoder's stop code: "The encoder was
// stopped.", and where the job's output had no file, that the shorter one stays there), or an
// exit 0 that left no new, non-empty file at `outputPath` (`before` is that path's stamp before
// the run) is a failure.
StageOutcome judgeRun(const EncoderOutcome& run, bool stopRequested, int row,
                      const QString& outputPath, const FileStamp& before, RunTarget target);
