#pragma once

#include "tasks/MediaProbe.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What the encoder says of one join point once it has passed it, on a line of its own beside
// its status lines: "Join 2 at 60.000s: A/V offset +0.012s".
struct JoinOffset
{
    int part = 0;      // 1-based: the part that begins there
    double at = 0;     // its start in the output, in seconds
    double offset = 0; // its sound's start minus its picture's start, in seconds
};

// The report on one line of the encoder's output; nothing for any other line.
std::optional<JoinOffset> parseJoinOffset(const QString& line);

// The input that a line of the encoder's output names as joined with silence because its sound
// cannot be decoded: "No usable audio in /videos/clip3.mp4; using silence."
std::optional<QString> parseSilencedInput(const QString& line);

// "Silence was put in place of the sound of clip3.mp4, which could not be decoded."; empty when
// no input was joined with silence.
QString silenceNote(const QStringList& silencedInputs);

// Looks at a finished join's output the way a viewer would: is it as long as the videos
// together, and do its sound and picture keep together? The encoder's exit status only says that
// it wrote a file.
class ResultCheck
{
public:
    // Row lengths are rounded to tenths, and a container ends each track on a whole frame.
    static constexpr double kLengthTolerance = 0.5;
    // About three frames at 25 fps: any more is seen on lips.
    static constexpr double kSyncTolerance = 0.1;

    struct Figures
    {
        // The rows' lengths together, in seconds; nothing when one of them is not known.
        std::optional<double> expectedLength;
        TrackLengths output;
        QList<JoinOffset> offsets;
        // Asked only when the output lacks that track: whether any input has one.
        bool inputsHavePicture = true;
        bool inputsHaveSound = true;
    };

    // Reads the output, and the inputs only when the output lacks a track.
    static Figures measure(const QString& outputPath, const QStringList& inputPaths,
                           std::optional<double> expectedLength, const QList<JoinOffset>& offsets);

    // One sentence on what is most wrong with the result; empty for a good one, and for an
    // output in which no track can be read (the encoder's word then stands).
    static QString remark(const Figures& figures);
};
