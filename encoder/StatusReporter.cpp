#include "StatusReporter.h"

#include "EncoderContract.h"

#include <algorithm>

namespace asapi {
namespace {

std::string printed(const char* format, auto... values)
{
    char line[512];
    const int length = std::snprintf(line, sizeof line, format, values...);
    return std::string(line, static_cast<std::size_t>(std::clamp(length, 0, 511)));
}

int kilobitsPerSecond(std::int64_t bytes, double seconds)
{
    return seconds > 1 ? static_cast<int>(bytes / seconds / 125) : 0;
}

} // namespace

std::string formatStatusLine(const StatusFigures& f)
{
    const double p = std::clamp(f.fraction, 0.0, 1.0);
    const double t = f.elapsed;
    // A share of sums of seconds may miss a whole percent by a rounding error: the end shows 100%.
    const int percent = static_cast<int>(p * 100 + 1e-9);
    return printed(vantomel::kStatusLineFormat, f.position, f.frames, percent,
                   t > 1 ? f.frames / t : 0.0, p > 0.001 ? static_cast<int>((t / p - t) / 60) : 0,
                   p > 0.001 ? static_cast<int>(f.fileBytes / p / 1024 / 1024) : 0,
                   f.audioMinusVideo, kilobitsPerSecond(f.videoBytes, f.position),
                   kilobitsPerSecond(f.audioBytes, f.audioPosition));
}

namespace {

std::string faultLine(const PartFault& fault)
{
    const std::string part = printed("Read back: part %d at %.3fs: ", fault.part, fault.at);
    switch (fault.kind) {
    case PartFault::Kind::Undecodable:
        return part + "picture not decodable\n";
    case PartFault::Kind::ShownTwice:
        return part + "pictures shown twice\n";
    case PartFault::Kind::Rotation:
        return part + printed("turned %d degrees, joined video %d degrees\n",
                              static_cast<int>(fault.partValue),
                              static_cast<int>(fault.outputValue));
    case PartFault::Kind::PixelShape:
        return part + printed("pixel aspect %.3f, joined video %.3f\n", fault.partValue,
                              fault.outputValue);
    }
    return {};
}

} // namespace

std::string formatJoinLine(const JoinPoint& join)
{
    std::string line = vantomel::formatJoinLine({join.part, join.start, join.audioOffset});
    if (join.clipOffset)
        line += vantomel::formatJoinLine({join.part, join.start, *join.clipOffset, true});
    return line;
}

std::string formatReadBackLines(const ReadBackReport& report)
{
    if (!report.read)
        return {};
    std::string lines = printed("Read back: clips %.3fs", report.clipsLength);
    if (report.video)
        lines += printed("; video %.3fs to %.3fs", report.video->start, report.video->end);
    if (report.audio)
        lines += printed("; audio %.3fs to %.3fs", report.audio->start, report.audio->end);
    lines += "\n";
    for (std::size_t t = 0; t < report.otherSoundEnds.size(); ++t)
        lines += printed("Read back: sound track %d ends at %.3fs\n", static_cast<int>(t) + 2,
                         report.otherSoundEnds[t].value_or(0.0));
    for (const PartFault& fault : report.faults)
        lines += faultLine(fault);
    return lines;
}

std::string formatSummary(const StatusFigures& f)
{
    const auto rate = [](std::int64_t bytes, double seconds) {
        return seconds > 0 ? bytes / seconds : 0.0;
    };
    const double videoRate = rate(f.videoBytes, f.position);
    const double audioRate = rate(f.audioBytes, f.audioPosition);
    return printed("\nVideo stream: %8.3f kbit/s  (%d B/s)  size: %lld bytes  %5.3f secs  %d "
                   "frames\n",
                   videoRate * 8 / 1000, static_cast<int>(videoRate),
                   static_cast<long long>(f.videoBytes), f.position, f.frames) +
           printed("\nAudio stream: %8.3f kbit/s  (%d B/s)  size: %lld bytes  %5.3f secs\n",
                   audioRate * 8 / 1000, static_cast<int>(audioRate),
                   static_cast<long long>(f.audioBytes), f.audioPosition);
}

StatusReporter::StatusReporter(std::FILE* out)
    : m_out(out), m_start(std::chrono::steady_clock::now())
{
}

double StatusReporter::elapsedSeconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

void StatusReporter::report(const StatusFigures& figures)
{
    const std::string line = formatStatusLine(figures);
    std::fwrite(line.data(), 1, line.size(), m_out);
    // A copy join reports each packet, thousands a second, and each flush wakes the program
    // reading the lines. A flush per percent, and a few a second, show the progress as well.
    const int percent = static_cast<int>(std::clamp(figures.fraction, 0.0, 1.0) * 100);
    const auto now = std::chrono::steady_clock::now();
    if (percent != m_flushedPercent || now - m_lastFlush >= kFlushInterval) {
        std::fflush(m_out);
        m_flushedPercent = percent;
        m_lastFlush = now;
    }
}

void StatusReporter::reportJoins(const std::vector<JoinPoint>& joins)
{
    for (const auto& join : joins) {
        const std::string line = formatJoinLine(join);
        std::fwrite(line.data(), 1, line.size(), m_out);
    }
    std::fflush(m_out);
}

void StatusReporter::reportReadBack(const ReadBackReport& report)
{
    reportJoins(report.joins);
    const std::string lines = formatReadBackLines(report);
    std::fwrite(lines.data(), 1, lines.size(), m_out);
    std::fflush(m_out);
}

void StatusReporter::reportReadBackTime(double seconds)
{
    std::fprintf(m_out, "Read back in %.3fs\n", seconds);
    std::fflush(m_out);
}

void StatusReporter::finish(const StatusFigures& figures)
{
    const std::string summary = formatSummary(figures);
    std::fwrite(summary.data(), 1, summary.size(), m_out);
    std::fflush(m_out);
}

} // namespace asapi
