#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace asapi {

// The figures of one status line, as MEncoder prints them.
struct StatusFigures
{
    double position = 0.0;        // seconds of video written
    int frames = 0;               // video frames written
    double fraction = 0.0;        // share of the expected length done
    double elapsed = 0.0;         // wall-clock seconds since the start
    std::int64_t fileBytes = 0;   // output written so far
    double audioMinusVideo = 0.0; // seconds
    std::int64_t videoBytes = 0;
    std::int64_t audioBytes = 0;
    double audioPosition = 0.0;
};

// Where a part of a join begins in the output, and how its sound sits against its picture there.
struct JoinPoint
{
    int part = 0;             // 1-based; the first join point is part 2
    double start = 0.0;       // seconds, the part's picture
    double audioOffset = 0.0; // seconds, the part's sound start minus its picture start
    // The same as the part's own input gives it: a join cannot do better. Copied sound keeps
    // the input's own offset (nothing when it has no sound); encoded sound is laid from the
    // picture's start, with silence where the input has none yet, so there it is 0.
    std::optional<double> clipOffset;
};

// Where one track of a file is shown, in seconds.
struct TrackSpan
{
    double start = 0.0;
    double end = 0.0;
};

// Something a finished join holds that it should not.
struct PartFault
{
    enum class Kind
    {
        Undecodable, // the part's first pictures do not decode
        ShownTwice,  // two of its pictures are shown at the same time
        Rotation,    // the output is shown turned otherwise than the part
        PixelShape   // the output's pixels have another shape than the part's
    };
    Kind kind = Kind::Undecodable;
    int part = 0;
    double at = 0.0;          // seconds, the part's start
    double partValue = 0.0;   // Rotation: degrees; PixelShape: width over height of a pixel
    double outputValue = 0.0; // the same, of the output
};

// What reading a finished join back found in the file.
struct ReadBackReport
{
    bool read = false;            // the file could be read back; nothing else is known without
    std::vector<JoinPoint> joins; // the offsets as the file holds them
    double clipsLength = 0.0;     // seconds of picture the join read from its inputs
    std::optional<TrackSpan> video;
    std::optional<TrackSpan> audio;
    // Where each further sound track ends, the second first; nothing for one that ends before the
    // last stretch of picture.
    std::vector<std::optional<double>> otherSoundEnds;
    std::vector<PartFault> faults;
};

// "Join 2 at 60.000s: A/V offset +0.012s\n", and with the input's own offset a line of its own
// after it, which a program that knows only the first passes over:
// "Join 2 at 60.000s: clip A/V offset +0.010s\n"
std::string formatJoinLine(const JoinPoint& join);

// "Read back: clips 120.000s; video 0.000s to 120.000s; audio 0.000s to 120.010s\n", a line on
// where each further sound track ends ("Read back: sound track 2 ends at 119.990s\n"; at 0.000s
// when it ends far too early) and a line for each fault, such as "Read back: part 2 at 60.000s:
// turned 90 degrees, joined video 0 degrees\n".
std::string formatReadBackLines(const ReadBackReport& report);

// The status line of the figures, in the format the program reads: "Pos:  61.5s   1845f ...\r".
std::string formatStatusLine(const StatusFigures& figures);

// The two closing lines: "Video stream: ..." and "Audio stream: ...".
std::string formatSummary(const StatusFigures& figures);

// Writes a status line after every video frame, at once, for the program that reads our output.
class StatusReporter
{
public:
    explicit StatusReporter(std::FILE* out);
    // A run that fails still leaves its last position, for the log.
    ~StatusReporter() { std::fflush(m_out); }
    StatusReporter(const StatusReporter&) = delete;
    StatusReporter& operator=(const StatusReporter&) = delete;
    double elapsedSeconds() const;
    void report(const StatusFigures& figures);
    void finish(const StatusFigures& figures);
    // One line for each join point.
    void reportJoins(const std::vector<JoinPoint>& joins);
    // The join points as the file holds them, then what else reading it back found.
    void reportReadBack(const ReadBackReport& report);
    // "Read back in 0.042s": what the read-back adds to the join.
    void reportReadBackTime(double seconds);

private:
    static constexpr std::chrono::milliseconds kFlushInterval{50};

    std::FILE* m_out;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastFlush{};
    int m_flushedPercent = -1;
};

} // namespace asapi
