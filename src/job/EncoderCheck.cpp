#include "EncoderCheck.h"

#include "EncoderRun.h"

#include <QElapsedTimer>
#include <QProcess>

namespace {

// The encoder's exit codes for -checkonly.
constexpr int kTakesIt = 0;
constexpr int kRefusesIt = 1;
constexpr int kCannotCopy = 3;
constexpr int kCannotCopySound = 5;
constexpr int kCannotReadInput = 6;

} // namespace

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
    if (process.exitCode() == kTakesIt)
        return {Answer::Kind::Accepted, {}};
    const QString reason = encoderReason(QString::fromLocal8Bit(process.readAllStandardError()));
    if (process.exitCode() == kCannotCopy || process.exitCode() == kCannotCopySound)
        return {process.exitCode() == kCannotCopy ? Answer::Kind::CannotCopy
                                                  : Answer::Kind::CannotCopySound,
                reason.isEmpty() ? QStringLiteral("The videos differ.") : reason};
    if (process.exitCode() == kCannotReadInput)
        return {Answer::Kind::CannotReadInput,
                reason.isEmpty() ? QStringLiteral("A video cannot be read.") : reason};
    if (process.exitCode() != kRefusesIt)
        return {};
    return {Answer::Kind::Refused,
            reason.isEmpty() ? QStringLiteral("The encoder does not take these output settings.")
                             : reason};
}
