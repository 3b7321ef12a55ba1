#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
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
};

// "Join 2 at 60.000s: A/V offset +0.012s\n"
std::string formatJoinLine(const JoinPoint& join);

// "Pos:%6.1fs %6df (%2d%%) %5.2ffps Trem:%4dmin %3dmb  A-V:%5.3f [%d:%d]\r"
std::string formatStatusLine(const StatusFigures& figures);

// The two closing lines: "Video stream: ..." and "Audio stream: ...".
std::string formatSummary(const StatusFigures& figures);

// Writes a status line after every video frame, at once, for the program that reads our output.
class StatusReporter
{
public:
    explicit StatusReporter(std::FILE* out);
    double elapsedSeconds() const;
    void report(const StatusFigures& figures);
    void finish(const StatusFigures& figures);
    // One line for each join point.
    void reportJoins(const std::vector<JoinPoint>& joins);

private:
    std::FILE* m_out;
    std::chrono::steady_clock::time_point m_start;
};

} // namespace asapi
