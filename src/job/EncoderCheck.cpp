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

QStringList EncoderCheck::arguments(const EncoderCommand& command)
{
    // First: after a "--" in the option text it would be taken for a file.
    return QStringList{QStringLiteral("-checkonly")} + command.arguments;
}

EncoderCheck::Answer EncoderCheck::ask(const EncoderCommand& command) const
{
    QProcess process;
    endWithTheProgram(process);
    QElapsedTimer clock;
    clock.start();
    process.start(m_encoderPath, arguments(command), QIODevice::ReadOnly);
    const auto left = [&] { return int(qMax<qint64>(1, m_deadlineMs - clock.elapsed())); };
    if (!process.waitForStarted(left()))
        return {};
    if (!process.waitForFinished(left())) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    return answerOf(process.exitStatus() == QProcess::NormalExit, process.exitCode(),
                    process.readAllStandardError());
}

EncoderCheck::Answer EncoderCheck::answerOf(bool normalExit, int exitCode, const QByteArray& errors)
{
    if (!normalExit)
        return {};
    QList<Answer::Differing> differing;
    QList<Answer::Differing> encodedToMatch;
    QList<vantomel::MovedLine> moved;
    QList<vantomel::TrackLine> tracks;
    bool joinsWithInBandSets = false;
    for (const QByteArray& line : errors.split('\n')) {
        const std::string text = line.toStdString();
        joinsWithInBandSets |=
            line.trimmed() ==
            QByteArray::fromRawData(vantomel::kJoinsWithInBandSets.data(),
                                    qsizetype(vantomel::kJoinsWithInBandSets.size()));
        if (const auto differs = vantomel::parseDiffersLine(text))
            (differs->encodedToMatch ? encodedToMatch : differing)
                .append(
                    {differs->input - 1, QString::fromUtf8(differs->reason), differs->soundOnly});
        else if (const auto point = vantomel::parseMovedLine(text))
            moved.append(*point);
        else if (const auto track = vantomel::parseTrackLine(text))
            tracks.append(*track);
    }
    const auto exit = EncoderExit(exitCode);
    if (exit == EncoderExit::Done)
        return {Answer::Kind::Accepted, {}, {}, moved, encodedToMatch, tracks};
    const QString reason = encoderReason(errors);
    if (exit == EncoderExit::CannotCopy || exit == EncoderExit::CannotCopySound) {
        Answer answer{exit == EncoderExit::CannotCopy ? Answer::Kind::CannotCopy
                                                      : Answer::Kind::CannotCopySound,
                      reason.isEmpty() ? QStringLiteral("The videos differ.") : reason, differing};
        answer.joinsWithInBandSets = joinsWithInBandSets;
        return answer;
    }
    if (exit == EncoderExit::UnreadableInput)
        return {Answer::Kind::CannotReadInput,
                reason.isEmpty() ? QStringLiteral("A video cannot be read.") : reason, differing};
    if (exit != EncoderExit::Failed)
        return {};
    return {Answer::Kind::Refused,
            reason.isEmpty() ? QStringLiteral("The encoder does not take these output settings.")
                             : reason};
}
