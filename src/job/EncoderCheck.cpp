#include "EncoderCheck.h"

#include "EncoderContract.h"
#include "EncoderRun.h"

#include <QElapsedTimer>
#include <QProcess>

using vantomel::EncoderExit;

EncoderCheck::EncoderCheck(QString encoderPath, int deadlineMs)
    : m_encoderPath(std::move(encoderPath)), m_deadlineMs(deadlineMs)
{
}

EncoderCheck::Answer EncoderCheck::ask(const EncoderCommand& command) const
{
    QProcess process;
    endWithTheProgram(process);
    QElapsedTimer clock;
    clock.start();
    // First: after a "--" in the option text it would be taken for a file.
    process.start(m_encoderPath, QStringList{QStringLiteral("-checkonly")} + command.arguments,
                  QIODevice::ReadOnly);
    const auto left = [&] { return int(qMax<qint64>(1, m_deadlineMs - clock.elapsed())); };
    if (!process.waitForStarted(left()))
        return {};
    if (!process.waitForFinished(left())) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {};
    const auto exit = EncoderExit(process.exitCode());
    if (exit == EncoderExit::Done)
        return {Answer::Kind::Accepted, {}};
    const QString reason = encoderReason(process.readAllStandardError());
    if (exit == EncoderExit::CannotCopy || exit == EncoderExit::CannotCopySound)
        return {exit == EncoderExit::CannotCopy ? Answer::Kind::CannotCopy
                                                : Answer::Kind::CannotCopySound,
                reason.isEmpty() ? QStringLiteral("The videos differ.") : reason};
    if (exit == EncoderExit::UnreadableInput)
        return {Answer::Kind::CannotReadInput,
                reason.isEmpty() ? QStringLiteral("A video cannot be read.") : reason};
    if (exit != EncoderExit::Failed)
        return {};
    return {Answer::Kind::Refused,
            reason.isEmpty() ? QStringLiteral("The encoder does not take these output settings.")
                             : reason};
}
