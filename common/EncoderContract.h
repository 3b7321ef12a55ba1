#pragma once

#include <optional>
#include <string>
#include <string_view>

// What the encoder tells the program that runs it, and how the program reads it: its exit
// status, the status line it writes after every picture, the lines on its join points, and its
// messages. The encoder writes them with these functions and the program reads them with these,
// so that the two cannot drift apart.
namespace vantomel {

// How a run of the encoder ended, as its exit status.
enum class EncoderExit
{
    // The whole file is in place; also when a stop came once everything had been read. With
    // -checkonly: the command line can be run.
    Done = 0,
    // Nothing was put in place; the message says why. With -checkonly: the command line cannot
    // be run, and the message says why.
    Failed = 1,
    // A stop signal from outside (SIGTERM, SIGINT, SIGHUP: a logout, a kill) cut the reading
    // short. The shorter file is in place where no file stood; a file that stood there is kept,
    // the shorter one dropped, and a message says so: what became of the file, not why.
    Stopped = 2,
    // -ovc copy over inputs that differ: nothing was written, and the message names the first
    // clip that differs and how. Also with -checkonly.
    CannotCopy = 3,
    // As CannotCopy, where only the copied sound differs: the pictures could be copied with the
    // sound encoded once. (4 is the status a stopping program gives the encoder.)
    CannotCopySound = 5,
    // An input cannot be opened or read as a video; the message names it and says why. Also
    // with -checkonly -ovc copy, which opens the inputs.
    UnreadableInput = 6
};

// The status line, as MEncoder prints it, after every picture written:
// "Pos:  61.5s   1845f (50%) 46.12fps Trem:   0min  18mb  A-V:0.012 [1000:128]\r". It ends in a
// carriage return, the encoder's other lines in a line feed. The program reads the position
// only: the seconds between the marker and the unit.
inline constexpr std::string_view kStatusMarker = "Pos:";
inline constexpr char kStatusPositionUnit = 's';
// The figures in order: position (s), pictures, percent done, pictures a second, minutes left,
// expected size (MiB), sound minus picture (s), video and audio rate (kbit/s).
inline constexpr const char* kStatusLineFormat =
    "Pos:%6.1fs %6df (%2d%%) %5.2ffps Trem:%4dmin %3dmb  A-V:%5.3f [%d:%d]\r";

// The position's text in a piece of the encoder's output: what follows its first marker, up to
// the unit; empty when no unit follows. Nothing when the piece holds no marker.
std::optional<std::string_view> statusPositionText(std::string_view output);

// Where a part of a join begins in the output, and how its sound sits against its picture there:
// "Join 2 at 60.000s: A/V offset +0.012s". The same in the part's own input comes on a line of
// its own after it, which a program that knows only the first passes over:
// "Join 2 at 60.000s: clip A/V offset +0.010s".
struct JoinLine
{
    int part = 0;        // 1-based; the first join point is part 2
    double start = 0.0;  // seconds
    double offset = 0.0; // seconds, sound start minus picture start
    bool ofClip = false; // the part's own input's offset, not the output's
};

// The line, ending in a line feed; the figures in milliseconds.
std::string formatJoinLine(const JoinLine& line);
// Nothing for any other line. Blanks around the line do not matter.
std::optional<JoinLine> parseJoinLine(std::string_view line);

// With -ovc copy: the user's consent that the video's parameter sets may be written in the stream
// (MP4 and MOV sample entry avc3 or hev1), so that cuts between keyframes stay exact in clips
// other than x264 ones. Not MEncoder's; without it the parameter sets stay in the sample entry,
// as some players (Safari's WebCodecs, FairPlay, Apple's for HEVC) refuse them in the stream.
inline constexpr const char* kInBandSetsOption = "-inbandsets";

// With -checkonly -ovc copy, after the refusal of videos that a copy cannot join: a line on
// each input that cannot be joined with the others, so that the program can mark it. The others
// are the most inputs that can be joined; an input that cannot be read is one that cannot.
// "Differs 3: IMG_481.mp4 is 1080x1920 at 30 fps; the others are 1920x1080 at 30 fps."
// Where the copy can go on with such an input's pictures encoded again to match the others (with
// the others' codec and parameter sets), the line says so in place of the refusal, and the check
// passes: "Encoded 3: IMG_481.mp4 is 1080x1920 at 30 fps; the others are 1920x1080 at 30 fps."
// Where only its copied sound is encoded again, its pictures copied: "Sound encoded 3: clip3.mp4
// has audio at 44100 Hz; clip1.mp4 has audio at 48000 Hz."
struct DiffersLine
{
    int input = 0; // 1-based position among the inputs
    std::string reason;
    bool encodedToMatch = false;
    bool soundOnly = false; // with encodedToMatch

    bool operator==(const DiffersLine&) const = default;
};

// The line, ending in a line feed; a line break in the reason becomes a blank.
std::string formatDiffersLine(const DiffersLine& line);
// Nothing for any other line. Blanks around the line do not matter.
std::optional<DiffersLine> parseDiffersLine(std::string_view line);

// With -checkonly -ovc copy, after the refusal of videos that a copy cannot join, where it could
// join them by encoding those that differ again with parameter sets in the stream (-inbandsets),
// which the command line did not allow: this line, so that the program can ask for that consent.
constexpr std::string_view kJoinsWithInBandSets = "Joins with parameter sets in the stream";

// With -checkonly -ovc copy, when the inputs can be joined: a line on each in or out point that
// the copy moves to where its pictures can be cut, a keyframe or the input's end. An out point
// moves to where the pictures decoded before its keyframe end: in an open group of pictures,
// before the keyframe. One at or past the input's end is no move. The times are the input's own,
// from its first picture.
// "Moved 2: the in point 00:00:02.200 of clip.mp4 moves to the keyframe at 00:00:02.000"
struct MovedLine
{
    int input = 0; // 1-based position among the inputs
    bool outPoint = false;
    double from = 0.0; // seconds
    double to = 0.0;
    std::string clip;   // its file name
    bool toEnd = false; // to the input's end, not a keyframe

    bool operator==(const MovedLine&) const = default;
};

// The line, ending in a line feed; the times to the millisecond.
std::string formatMovedLine(const MovedLine& line);
// Nothing for any other line. Blanks around the line do not matter.
std::optional<MovedLine> parseMovedLine(std::string_view line);

// With -checkonly -ovc copy, when the inputs can be joined: a line on each track that the output
// will have besides its picture, in its order, and on each that its container cannot keep, which
// is dropped. The type is sound, subtitle or data; the codec FFmpeg's name, a data track's tag;
// the language, where the track states one, comes last. A copied sound track that the join
// encodes whole, as its inputs' sound cannot follow each other, says why after a semicolon.
// "Track 2: sound aac eng", "Track 4: subtitle mov_text", "Dropped: data gpmd",
// "Track 3: sound vorbis fre; encoded whole: b.mkv has no audio; a.mkv has vorbis audio."
struct TrackLine
{
    int number = 0; // among the output's tracks, the picture's being 1; 0: dropped
    std::string type;
    std::string codec;
    std::string language;
    std::string encodedWhy; // empty: copied as it is

    bool operator==(const TrackLine&) const = default;
};

// The line, ending in a line feed.
std::string formatTrackLine(const TrackLine& line);
// Nothing for any other line. Blanks around the line do not matter.
std::optional<TrackLine> parseTrackLine(std::string_view line);

// The encoder's messages go to its standard error, one a line, each behind a mark of its type,
// so that the program takes the reason for a failure from its errors and refusals alone and
// never from a warning. FFmpeg's own log lines are marked too: a program keeps them in its log
// but never takes one for the reason. A line without a mark comes from an older encoder.
enum class EncoderMessageType
{
    Untyped,
    Error,   // the run failed for it
    Refusal, // the command line or the inputs cannot be done as asked; nothing was attempted
    Warning, // the run passes over or changes something, and goes on
    Libav    // a line of FFmpeg's own log
};

struct EncoderMessage
{
    EncoderMessageType type = EncoderMessageType::Untyped;
    std::string_view text; // without the mark
};

// "[error] Cannot open nothing.avi: No such file or directory.\n"
std::string formatEncoderMessage(EncoderMessageType type, std::string_view text);
EncoderMessage readEncoderMessage(std::string_view line);

// A message of this type says why a run failed.
inline bool isFailureReason(EncoderMessageType type)
{
    return type == EncoderMessageType::Error || type == EncoderMessageType::Refusal;
}

} // namespace vantomel
