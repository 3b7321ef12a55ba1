#pragma once

#include "tasks/MediaProbe.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What the encoder says of one join point once the file is written, on a line of its own beside
// its status lines: "Join 2 at 60.000s: A/V offset +0.012s", and on the next line the part's own
// video's offset, "Join 2 at 60.000s: clip A/V offset +0.010s". An older encoder writes the first
// line only, and an older program reads only that one.
struct JoinOffset
{
    int part = 0;      // 1-based: the part that begins there
    double at = 0;     // its start in the output, in seconds
    double offset = 0; // its sound's start minus its picture's start, in seconds
    // The same in the part's own video; nothing when the encoder does not say.
    std::optional<double> clipOffset;

    // How far the join moved the part's sound against its picture. Sound that starts before the
    // picture in the clip may be cut there.
    double change() const;
};

// What the encoder found wrong in a part when it read the file back: "Read back: part 2 at
// 60.000s: picture not decodable" (or "pictures shown twice", "turned 90 degrees, joined video
// 0 degrees", "pixel aspect 1.333, joined video 1.000").
struct PartFault
{
    enum class Kind
    {
        Undecodable,
        ShownTwice,
        Rotation,
        PixelShape
    };
    Kind kind = Kind::Undecodable;
    int part = 0;
    double at = 0;
    double partValue = 0;   // Rotation: degrees; PixelShape: a pixel's width over its height
    double outputValue = 0; // the same, of the joined video
};

// All the encoder says of a join it has finished. An encoder that read the file back also says
// "Read back: clips 120.000s; video 0.000s to 120.000s; audio 0.000s to 120.010s": the length
// of picture it read from the inputs, and where the file's tracks are shown.
struct JoinReport
{
    QList<JoinOffset> offsets;
    std::optional<double> clipsLength;
    TrackLengths tracks;          // when clipsLength is known
    QList<double> otherSoundEnds; // where sound tracks 2 onwards end, in seconds
    QList<PartFault> faults;
};

// The report on one line of the encoder's output; nothing for any other line.
std::optional<JoinOffset> parseJoinOffset(const QString& line);
// Takes a line of the encoder's output into the report; false for a line that is no part of it.
bool takeJoinReportLine(JoinReport& report, const QString& line);

// The input that a line of the encoder's output names as joined with silence because its sound
// cannot be decoded: "No usable audio in /videos/clip3.mp4; using silence."
std::optional<QString> parseSilencedInput(const QString& line);

// "Silence was put in place of the sound of clip3.mp4, which could not be decoded."; empty when
// no input was joined with silence.
QString silenceNote(const QStringList& silencedInputs);

// A line of the encoder's output that tells of a track the output's container cannot keep: "The
// subtitle track hdmv_pgs_subtitle (eng) cannot be kept in an MP4 file and is dropped."
bool isDroppedTrack(const QString& line);

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
        // The inputs' lengths together, in seconds; nothing when one of them is not known.
        std::optional<double> expectedLength;
        TrackLengths output;
        QList<JoinOffset> offsets;
        QList<PartFault> faults;
        QList<double> otherSoundEnds; // where sound tracks 2 onwards end, in seconds
        // Asked only when the output lacks that track: whether any input has one.
        bool inputsHavePicture = true;
        bool inputsHaveSound = true;
    };

    // Takes what the encoder read back. Without that (an older encoder) the output is read
    // here, and the rows' lengths stand for the inputs'; they count a jump of a recording's
    // clock that the encoder leaves out. The inputs are read only when the output lacks a track.
    static Figures measure(const QString& outputPath, const QStringList& inputPaths,
                           std::optional<double> rowsLength, const JoinReport& report);

    // The joined video's length as the check takes it: its picture's, or its sound's when it
    // has no picture; nothing when neither can be read.
    static std::optional<double> outputLength(const Figures& figures);

    // One sentence on what is most wrong with the result; empty for a good one, and for an
    // output in which no track can be read (the encoder's word then stands).
    static QString remark(const Figures& figures);
};
