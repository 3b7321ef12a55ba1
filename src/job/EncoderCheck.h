#pragma once

#include "EncoderCommand.h"
#include "EncoderContract.h"

#include <QList>
#include <QString>
#include <QStringList>

// Asks the encoder, before a job makes anything, whether it takes a command line: with
// -checkonly it reads its arguments, writes nothing and says yes (exit 0) or why not (exit 1, its
// reason on standard error). A profile whose option text the encoder refuses is then refused at
// Start, not after the whole conversion stage. With -ovc copy it also opens the inputs' headers:
// videos that cannot be joined by copying give exit 3, the first difference on standard error;
// exit 5 when only their copied sound differs; exit 6 when an input cannot be opened or read as a
// video, its name and the fault on standard error. Each of those is followed by a line on every
// input that stops the copy (vantomel::DiffersLine). A copy that it accepts may encode some clips'
// pictures again to match the others (a DiffersLine on each), move the clips' in and out
// points to keyframes (a vantomel::MovedLine on each) and carry or drop tracks (a
// vantomel::TrackLine on each).
class EncoderCheck
{
public:
    // Start-up included; the encoder reads its arguments and at most the inputs' headers, in
    // milliseconds.
    static constexpr int kDeadlineMs = 3000;

    struct Answer
    {
        enum class Kind
        {
            Accepted,
            Refused, // `reason` is the encoder's
            // The videos differ, or the container cannot hold them as they are; `reason` names
            // the clip and the difference, and in the second case what to join with instead
            // ("...; join with \"MP4 - Same as the videos (no re-encoding)\" or ...").
            CannotCopy,
            CannotCopySound, // as CannotCopy, where only the copied sound differs
            CannotReadInput, // `reason` names the clip that is missing, damaged or no video
            // Not started, too slow, crashed or another exit code: not the encoder's word on the
            // command line, so the job runs and finds out for itself.
            NoAnswer,
        };
        // An input that differs from the others where a copy needs them alike: its row,
        // 0-based, and how, as the encoder says it.
        struct Differing
        {
            int row = -1;
            QString reason;
            bool soundOnly = false; // encoded to match: its sound alone, its pictures copied

            bool operator==(const Differing&) const = default;
        };

        Kind kind = Kind::NoAnswer;
        QString reason;
        // With CannotCopy, CannotCopySound and CannotReadInput: every input that stops the copy,
        // in list order; none when it is no input's fault (the container cannot hold them).
        QList<Differing> differing{};
        // With Accepted, for a copy: every in or out point that the copy moves to a keyframe or
        // to its input's end, in list order (vantomel::MovedLine; its input is 1-based).
        QList<vantomel::MovedLine> moved{};
        // With Accepted, for a copy: every input whose pictures the copy encodes again to match
        // the others, in list order.
        QList<Differing> encodedToMatch{};
        // With Accepted, for a copy: the output's tracks besides its picture, then those dropped
        // (vantomel::TrackLine).
        QList<vantomel::TrackLine> tracks{};
        // With CannotCopy: the copy would join them, encoding those that differ again with
        // parameter sets in the stream, which the command line did not allow.
        bool joinsWithInBandSets = false;
    };

    explicit EncoderCheck(QString encoderPath, int deadlineMs = kDeadlineMs);

    // Waits for the answer on the calling thread, at most the deadline.
    Answer ask(const EncoderCommand& command) const;

    // The encoder's arguments that ask about the command.
    static QStringList arguments(const EncoderCommand& command);

    // The answer of a check run that ended: normally with exitCode, or not (a crash).
    static Answer answerOf(bool normalExit, int exitCode, const QByteArray& errors);

private:
    QString m_encoderPath;
    int m_deadlineMs;
};
