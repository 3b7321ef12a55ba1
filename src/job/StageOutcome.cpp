#include "StageOutcome.h"

#include "EncoderContract.h"
#include "EncoderRun.h"
#include "FileStamp.h"

StageOutcome judgeRun(const EncoderOutcome& run, bool stopRequested, int row,
                      const QString& outputPath, const FileStamp& before, RunTarget target)
{
    using Kind = StageOutcome::Kind;
    const auto outcome = [row](Kind kind, const QString& reason = {}) {
        return StageOutcome{kind, row, reason, {}};
    };
    if (run.kind == EncoderOutcome::Kind::FailedToStart)
        return outcome(Kind::FailedToStart, run.lastMessage);
    if (stopRequested || run.kind == EncoderOutcome::Kind::Terminated)
        return outcome(Kind::Stopped);
    if (run.kind == EncoderOutcome::Kind::Crashed)
        return outcome(Kind::Failed, QStringLiteral("The encoder crashed."));
    const FileStamp after = FileStamp::of(outputPath);
    // Stopped by a signal from outside the program, not by the user's Stop. Where no file stood
    // it kept the shorter file: the job leaves it, as it cannot tell it from a file put there
    // meanwhile, and says so.
    if (run.exitCode == int(vantomel::EncoderExit::Stopped)) {
        QString reason = QStringLiteral("The encoder was stopped.");
        if (target == RunTarget::Output && after.exists && !after.isSameFileAs(before))
            reason +=
                QStringLiteral(" The shorter file it had written was kept at %1.").arg(outputPath);
        return outcome(Kind::Failed, reason);
    }
    if (run.exitCode != int(vantomel::EncoderExit::Done))
        return outcome(Kind::Failed, run.lastMessage);
    // An exit 0 proves nothing by itself: its last line is the encoder's summary.
    if (!after.exists || after == before)
        return outcome(Kind::Failed, QStringLiteral("The encoder wrote no file."));
    if (after.size <= 0)
        return outcome(Kind::Failed, QStringLiteral("The encoder wrote an empty file."));
    return outcome(Kind::Completed);
}
