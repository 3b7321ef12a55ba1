#include "EncoderContract.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace vantomel {
namespace {

// The reader finds the position where the format writes it.
constexpr std::string_view kStatusFormat = kStatusLineFormat;
static_assert(kStatusFormat.starts_with(kStatusMarker) &&
              kStatusFormat.substr(kStatusMarker.size()).starts_with("%6.1f") &&
              kStatusFormat[kStatusMarker.size() + 5] == kStatusPositionUnit);

constexpr std::array<std::pair<EncoderMessageType, std::string_view>, 4> kMarks{{
    {EncoderMessageType::Error, "[error] "},
    {EncoderMessageType::Refusal, "[refusal] "},
    {EncoderMessageType::Warning, "[warning] "},
    {EncoderMessageType::Libav, "[libav] "},
}};

std::string_view trimmed(std::string_view text)
{
    constexpr std::string_view blanks = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Rounded first, so that a tiny negative offset is not written as -0.000.
double inMilliseconds(double seconds)
{
    const double rounded = std::round(seconds * 1000) / 1000;
    return rounded == 0.0 ? 0.0 : rounded;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads a line from the front, word by word; locale-free, as the program may run in any.
struct LineReader
{
    std::string_view rest;

    bool word(std::string_view expected)
    {
        if (!rest.starts_with(expected))
            return false;
        rest.remove_prefix(expected.size());
        return true;
    }

    std::size_t digitsFrom(std::size_t at) const
    {
        while (at < rest.size() && isDigit(rest[at]))
            ++at;
        return at;
    }

    // Digits, then a point and digits if any: "60" or "60.000"; with a sign, "+0.012".
    std::optional<double> decimal(bool withSign)
    {
        const std::size_t sign = withSign && !rest.empty() && (rest[0] == '+' || rest[0] == '-');
        std::size_t end = digitsFrom(sign);
        if (end == sign)
            return std::nullopt;
        if (end < rest.size() && rest[end] == '.') {
            const std::size_t fraction = end + 1;
            end = digitsFrom(fraction);
            if (end == fraction)
                return std::nullopt;
        }
        // from_chars takes no plus sign.
        const std::size_t from = rest[0] == '+' ? 1 : 0;
        double value = 0.0;
        if (std::from_chars(rest.data() + from, rest.data() + end, value).ec != std::errc())
            return std::nullopt;
        rest.remove_prefix(end);
        return value;
    }

    std::optional<int> count()
    {
        const std::size_t end = digitsFrom(0);
        int value = 0;
        if (end == 0 || std::from_chars(rest.data(), rest.data() + end, value).ec != std::errc())
            return std::nullopt;
        rest.remove_prefix(end);
        return value;
    }
};

} // namespace

std::optional<std::string_view> statusPositionText(std::string_view output)
{
    const std::size_t at = output.find(kStatusMarker);
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::string_view rest = output.substr(at + kStatusMarker.size());
    const std::size_t unit = rest.find(kStatusPositionUnit);
    return unit == std::string_view::npos ? std::string_view() : rest.substr(0, unit);
}

std::string formatJoinLine(const JoinLine& line)
{
    char text[128];
    const int length =
        std::snprintf(text, sizeof text, "Join %d at %.3fs: %sA/V offset %+.3fs\n", line.part,
                      line.start, line.ofClip ? "clip " : "", inMilliseconds(line.offset));
    return std::string(text, static_cast<std::size_t>(std::clamp(length, 0, 127)));
}

std::optional<JoinLine> parseJoinLine(std::string_view text)
{
    LineReader reader{trimmed(text)};
    JoinLine line;
    if (!reader.word("Join "))
        return std::nullopt;
    const std::optional<int> part = reader.count();
    if (!part || !reader.word(" at "))
        return std::nullopt;
    const std::optional<double> start = reader.decimal(false);
    if (!start || !reader.word("s: "))
        return std::nullopt;
    line.ofClip = reader.word("clip ");
    if (!reader.word("A/V offset "))
        return std::nullopt;
    const std::optional<double> offset = reader.decimal(true);
    if (!offset || !reader.word("s") || !reader.rest.empty())
        return std::nullopt;
    line.part = *part;
    line.start = *start;
    line.offset = *offset;
    return line;
}

std::string formatDiffersLine(const DiffersLine& line)
{
    std::string reason = line.reason;
    std::replace_if(
        reason.begin(), reason.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    const char* kind = !line.encodedToMatch ? "Differs "
                       : line.soundOnly     ? "Sound encoded "
                                            : "Encoded ";
    return kind + std::to_string(line.input) + ": " + reason + "\n";
}

std::optional<DiffersLine> parseDiffersLine(std::string_view text)
{
    LineReader reader{trimmed(text)};
    const bool soundOnly = reader.word("Sound encoded ");
    const bool encoded = soundOnly || reader.word("Encoded ");
    if (!encoded && !reader.word("Differs "))
        return std::nullopt;
    const std::optional<int> input = reader.count();
    if (!input || !reader.word(": ") || reader.rest.empty())
        return std::nullopt;
    return DiffersLine{*input, std::string(reader.rest), encoded, soundOnly};
}

namespace {

std::string clockTime(double seconds)
{
    const long long milliseconds = std::llround(std::max(seconds, 0.0) * 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", milliseconds / 3600000,
                  milliseconds / 60000 % 60, milliseconds / 1000 % 60, milliseconds % 1000);
    return text;
}

std::optional<double> readClockTime(LineReader& reader)
{
    const std::optional<int> hours = reader.count();
    if (!hours || !reader.word(":"))
        return std::nullopt;
    const std::optional<int> minutes = reader.count();
    if (!minutes || !reader.word(":"))
        return std::nullopt;
    const std::optional<double> seconds = reader.decimal(false);
    if (!seconds)
        return std::nullopt;
    return *hours * 3600.0 + *minutes * 60.0 + *seconds;
}

constexpr std::string_view kMovesTo = " moves to the ";
constexpr std::string_view kEncodedWhole = "; encoded whole: ";

} // namespace

std::string formatMovedLine(const MovedLine& line)
{
    return "Moved " + std::to_string(line.input) + ": the " + (line.outPoint ? "out" : "in") +
           " point " + clockTime(line.from) + " of " + line.clip + std::string(kMovesTo) +
           (line.toEnd ? "end" : "keyframe") + " at " + clockTime(line.to) + "\n";
}

std::string formatTrackLine(const TrackLine& line)
{
    return (line.number > 0 ? "Track " + std::to_string(line.number) + ": " : "Dropped: ") +
           line.type + " " + line.codec + (line.language.empty() ? "" : " " + line.language) +
           (line.encodedWhy.empty() ? "" : std::string(kEncodedWhole) + line.encodedWhy) + "\n";
}

std::optional<TrackLine> parseTrackLine(std::string_view text)
{
    LineReader reader{trimmed(text)};
    TrackLine line;
    if (reader.word("Track ")) {
        const std::optional<int> number = reader.count();
        if (!number || *number < 2 || !reader.word(": "))
            return std::nullopt;
        line.number = *number;
    } else if (!reader.word("Dropped: ")) {
        return std::nullopt;
    }
    std::string_view described = reader.rest;
    if (const std::size_t why = described.find(kEncodedWhole); why != std::string_view::npos) {
        line.encodedWhy = described.substr(why + kEncodedWhole.size());
        described = described.substr(0, why);
    }
    std::vector<std::string> words;
    for (std::string_view rest = described; !rest.empty();) {
        const std::size_t blank = std::min(rest.find(' '), rest.size());
        words.emplace_back(rest.substr(0, blank));
        rest.remove_prefix(std::min(blank + 1, rest.size()));
    }
    if (words.size() < 2 || words.size() > 3 ||
        (words[0] != "sound" && words[0] != "subtitle" && words[0] != "data"))
        return std::nullopt;
    line.type = words[0];
    line.codec = words[1];
    if (words.size() == 3)
        line.language = words[2];
    return line;
}

std::optional<MovedLine> parseMovedLine(std::string_view text)
{
    LineReader reader{trimmed(text)};
    MovedLine line;
    if (!reader.word("Moved "))
        return std::nullopt;
    const std::optional<int> input = reader.count();
    if (!input || !reader.word(": the "))
        return std::nullopt;
    line.outPoint = reader.word("out");
    if (!line.outPoint && !reader.word("in"))
        return std::nullopt;
    if (!reader.word(" point "))
        return std::nullopt;
    const std::optional<double> from = readClockTime(reader);
    if (!from || !reader.word(" of "))
        return std::nullopt;
    // A file name may hold these words too: the last are the line's own.
    const std::size_t moves = reader.rest.rfind(kMovesTo);
    if (moves == std::string_view::npos)
        return std::nullopt;
    line.clip = std::string(reader.rest.substr(0, moves));
    reader.rest.remove_prefix(moves + kMovesTo.size());
    line.toEnd = reader.word("end");
    if (!line.toEnd && !reader.word("keyframe"))
        return std::nullopt;
    if (!reader.word(" at "))
        return std::nullopt;
    const std::optional<double> to = readClockTime(reader);
    if (!to || !reader.rest.empty() || line.clip.empty())
        return std::nullopt;
    line.input = *input;
    line.from = *from;
    line.to = *to;
    return line;
}

std::string formatEncoderMessage(EncoderMessageType type, std::string_view text)
{
    std::string line;
    for (const auto& [markedType, mark] : kMarks)
        if (markedType == type)
            line = mark;
    return line.append(text).append("\n");
}

EncoderMessage readEncoderMessage(std::string_view line)
{
    for (const auto& [type, mark] : kMarks)
        if (line.starts_with(mark))
            return {type, line.substr(mark.size())};
    return {EncoderMessageType::Untyped, line};
}

} // namespace vantomel
