#include "CommandLine.h"

#include "Codecs.h"
#include "EncoderContract.h"

#include <charconv>
#include <cmath>
#include <map>
#include <utility>

namespace asapi {
namespace {

// threads=N takes 1 to 16, as MPlayer's decoder option does.
constexpr long maxThreads = 16;

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    while (true) {
        const auto end = text.find(separator, start);
        pieces.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return pieces;
        start = end + 1;
    }
}

// A suboption "key=value" as its two halves; one without "=" is a key with an empty value.
std::pair<std::string, std::string> keyAndValue(const std::string& token)
{
    const auto equals = token.find('=');
    return {token.substr(0, equals), equals == std::string::npos ? "" : token.substr(equals + 1)};
}

std::optional<long> parseInteger(const std::string& text)
{
    long value = 0;
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return value;
}

std::optional<double> parseNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    try {
        std::size_t used = 0;
        const double value = std::stod(text, &used);
        if (used != text.size() || !std::isfinite(value))
            return std::nullopt;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

long integerSuboption(const std::string& key, const std::string& value, long low, long high)
{
    if (value.empty())
        throw EncoderError::usage("Suboption " + key + " needs a value.");
    const auto number = parseInteger(value);
    if (!number || *number < low || *number > high)
        throw EncoderError::usage("The value " + value + " of suboption " + key +
                                  " is out of range (" + std::to_string(low) + " to " +
                                  std::to_string(high) + ").");
    return *number;
}

bool flagSuboption(const std::string& key, const std::string& value)
{
    return value.empty() ? true : integerSuboption(key, value, 0, 1) != 0;
}

// -lavcopts "vcodec=libx264:vbitrate=2000:aspect=16:9": the token after "aspect=16" is the
// lower half of the ratio, not a key of its own.
void applyLavcopts(CommandLineOptions& options, const std::string& text)
{
    const auto tokens = split(text, ':');
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const auto& token = tokens[i];
        if (token.empty())
            continue;
        auto [key, value] = keyAndValue(token);

        if (key == "vcodec") {
            if (!videoCodecNames().count(value))
                throw EncoderError::usage("Video codec " + value + " is not supported.");
            options.videoCodec = value;
        } else if (key == "acodec") {
            if (!lavcAudioCodecNames().count(value))
                throw EncoderError::usage("Audio codec " + value + " is not supported.");
            options.audioCodec = value;
        } else if (key == "vbitrate") {
            const long rate = integerSuboption(key, value, 1, 100000000);
            options.videoBitrate = rate <= 16000 ? rate * 1000 : rate;
        } else if (key == "abitrate") {
            const long rate = integerSuboption(key, value, 1, 10000000);
            options.audioBitrate = rate < 1000 ? rate * 1000 : rate;
        } else if (key == "vqscale") {
            options.videoQuantiser = static_cast<int>(integerSuboption(key, value, 1, 31));
        } else if (key == "threads") {
            options.encoderThreads = static_cast<int>(integerSuboption(key, value, 1, maxThreads));
        } else if (key == "mbd") {
            options.macroblockDecision = static_cast<int>(integerSuboption(key, value, 0, 2));
        } else if (key == "keyint") {
            options.keyframeInterval = static_cast<int>(integerSuboption(key, value, 1, 10000));
        } else if (key == "autoaspect") {
            options.autoAspect = flagSuboption(key, value);
        } else if (key == "aspect") {
            if (value.find_first_of("/:") == std::string::npos && i + 1 < tokens.size() &&
                parseNumber(tokens[i + 1]))
                value += ":" + tokens[++i];
            const auto ratio = parseRatio(value);
            if (!ratio)
                throw EncoderError::usage("The aspect ratio " + value + " is not a number.");
            options.aspect = ratio->value();
        } else {
            throw EncoderError::usage("Unknown suboption " + key + " of -lavcopts.");
        }
    }
}

// -lavdopts "threads=2": the one decoder option this encoder takes.
void applyLavdopts(CommandLineOptions& options, const std::string& text)
{
    for (const auto& token : split(text, ':')) {
        if (token.empty())
            continue;
        const auto [key, value] = keyAndValue(token);
        if (key != "threads")
            throw EncoderError::usage("Unknown suboption " + key + " of -lavdopts.");
        options.decoderThreads = static_cast<int>(integerSuboption(key, value, 1, maxThreads));
    }
}

void applyLameopts(CommandLineOptions& options, const std::string& text)
{
    for (const auto& token : split(text, ':')) {
        if (token.empty())
            continue;
        const auto [key, value] = keyAndValue(token);
        if (key == "vbr") {
            const long mode = integerSuboption(key, value, 0, 4);
            options.mp3Mode = mode == 0   ? Mp3Mode::Constant
                              : mode == 3 ? Mp3Mode::Average
                                          : Mp3Mode::Variable;
        } else if (key == "q") {
            options.mp3Quality = static_cast<int>(integerSuboption(key, value, 0, 9));
        } else if (key == "br") {
            options.mp3Bitrate = static_cast<int>(integerSuboption(key, value, 8, 320));
        } else if (key == "cbr" && value.empty()) {
            options.mp3Mode = Mp3Mode::Constant;
        } else if (key == "abr" && value.empty()) {
            options.mp3Mode = Mp3Mode::Average;
        } else {
            throw EncoderError::usage("Unknown suboption " + key + " of -lameopts.");
        }
    }
}

// The filters of one -vf text, "dsize=640:480:0,scale=0:0,expand=640:480". An empty value
// keeps its default, as in "expand=800:::::4/3".
std::vector<VideoFilter> parseVideoFilters(const std::string& text)
{
    std::vector<VideoFilter> filters;
    for (const auto& filter : split(text, ',')) {
        const auto equals = filter.find('=');
        const std::string name = filter.substr(0, equals);
        const std::string parameters = equals == std::string::npos ? "" : filter.substr(equals + 1);
        const auto values = split(parameters, ':');
        const auto given = [&values](std::size_t i) {
            return i < values.size() && !values[i].empty();
        };
        const auto number = [&](std::size_t i, long low, long high) -> std::optional<int> {
            if (!given(i))
                return std::nullopt;
            const auto value = parseInteger(values[i]);
            if (!value || *value < low || *value > high)
                throw EncoderError::usage("The value " + values[i] + " of filter " + name +
                                          " is not valid.");
            return static_cast<int>(*value);
        };
        const auto ratio = [&](std::size_t i) -> std::optional<double> {
            if (!given(i))
                return std::nullopt;
            const auto value = parseRatio(values[i]);
            if (!value)
                throw EncoderError::usage("The aspect ratio " + values[i] + " is not a number.");
            return value->value();
        };
        VideoFilter f;
        if (name == "scale") {
            f.kind = VideoFilter::Kind::Scale;
            const auto side = [&](std::size_t i) -> std::optional<int> {
                if (equals == std::string::npos || i >= values.size())
                    return std::nullopt;
                const auto value = parseInteger(values[i]);
                if (!value || *value < -11 || *value > 8192)
                    throw EncoderError::usage("The picture size " + parameters + " is not valid.");
                return static_cast<int>(*value);
            };
            f.width = side(0);
            f.height = side(1);
        } else if (name == "dsize") {
            f.kind = VideoFilter::Kind::Dsize;
            // One value that is a fraction is the display aspect: dsize=16/9, dsize=1.78.
            if (values.size() == 1 && values[0].find_first_of("/.") != std::string::npos) {
                f.aspect = ratio(0);
            } else {
                f.width = number(0, -3, 8192);
                f.height = number(1, -3, 8192);
                f.aspectMethod = number(2, -1, 3).value_or(-1);
                f.round = number(3, 1, 256).value_or(1);
            }
        } else if (name == "expand") {
            f.kind = VideoFilter::Kind::Expand;
            f.width = number(0, -8192, 8192);
            f.height = number(1, -8192, 8192);
            f.x = number(2, -1, 8192).value_or(-1);
            f.y = number(3, -1, 8192).value_or(-1);
            number(4, 0, 1); // osd: there is no on-screen display to place
            f.aspect = ratio(5);
            f.round = number(6, 1, 256).value_or(1);
        } else {
            throw EncoderError::usage("Couldn't find video filter '" + name + "'.");
        }
        filters.push_back(f);
    }
    return filters;
}

void setOutput(CommandLineOptions& options, const std::string& value)
{
    if (value.empty())
        throw EncoderError::usage("Option -o needs a parameter.");
    // A second one, say in a profile's option text, would put the file elsewhere than the
    // program was told.
    if (!options.output.empty())
        throw EncoderError::usage("Option -o is given twice: " + options.output + " and " + value +
                                  ".");
    options.output = value;
}

void setVideoEncoder(CommandLineOptions& options, const std::string& value)
{
    if (value != "lavc" && value != "copy")
        throw EncoderError::usage("Video encoder " + value +
                                  " is not supported; use -ovc lavc or copy.");
    options.copyVideo = value == "copy";
}

void setAudioEncoder(CommandLineOptions& options, const std::string& value)
{
    static const std::map<std::string, AudioEncoder> encoders{{"mp3lame", AudioEncoder::Mp3Lame},
                                                              {"pcm", AudioEncoder::Pcm},
                                                              {"lavc", AudioEncoder::Lavc},
                                                              {"copy", AudioEncoder::Copy}};
    const auto encoder = encoders.find(value);
    if (encoder == encoders.end())
        throw EncoderError::usage("Audio encoder " + value +
                                  " is not supported; use -oac mp3lame, pcm, lavc or copy.");
    options.audioEncoder = encoder->second;
}

void setFrameRate(CommandLineOptions& options, const std::string& value)
{
    const auto rate = parseRatio(value);
    // Encoders count frames in time bases of at most 16 bits.
    if (!rate || rate->value() > 1000 || rate->value() < 1.0 / 65535)
        throw EncoderError::usage("The frame rate " + value + " is not valid.");
    options.frameRate = rate;
}

void setFilters(CommandLineOptions& options, const std::string& value)
{
    options.videoFilters = parseVideoFilters(value);
}

void putFiltersInFront(CommandLineOptions& options, const std::string& value)
{
    auto filters = parseVideoFilters(value);
    filters.insert(filters.end(), options.videoFilters.begin(), options.videoFilters.end());
    options.videoFilters = std::move(filters);
}

void setSampleRate(CommandLineOptions& options, const std::string& value)
{
    const auto rate = parseInteger(value);
    if (!rate || *rate < 8000 || *rate > 192000)
        throw EncoderError::usage("The sample rate " + value + " is not valid.");
    options.sampleRate = static_cast<int>(*rate);
}

void setChannels(CommandLineOptions& options, const std::string& value)
{
    const auto count = parseInteger(value);
    if (!count || *count < 1 || *count > 8)
        throw EncoderError::usage("The channel count " + value + " is not valid.");
    options.channels = static_cast<int>(*count);
}

double positionOption(const std::string& name, const std::string& value)
{
    const auto seconds = parsePosition(value);
    if (!seconds)
        throw EncoderError::usage("The time " + value + " of " + name + " is not valid.");
    return *seconds;
}

void setStart(InputOptions& input, const std::string& value)
{
    input.start = positionOption("-ss", value);
}

void setLength(InputOptions& input, const std::string& value)
{
    input.length = positionOption("-endpos", value);
    if (*input.length <= 0)
        throw EncoderError::usage("-endpos " + value + " takes nothing of " + clipName(input.path) +
                                  ".");
}

// An option: how many values follow it (0 or 1), and what it makes of them.
template <typename Target> struct OptionRule
{
    int values;
    void (*apply)(Target& target, const std::string& value);
};

// The options of the whole run.
const std::map<std::string, OptionRule<CommandLineOptions>>& runOptions()
{
    using Options = CommandLineOptions;
    static const std::map<std::string, OptionRule<Options>> table{
        {"-checkonly", {0, [](Options& options, const std::string&) { options.checkOnly = true; }}},
        {vantomel::kInBandSetsOption,
         {0, [](Options& options, const std::string&) { options.inBandSets = true; }}},
        {"-o", {1, setOutput}},
        {"-ovc", {1, setVideoEncoder}},
        {"-oac", {1, setAudioEncoder}},
        {"-lavcopts", {1, applyLavcopts}},
        {"-lavdopts", {1, applyLavdopts}},
        {"-lameopts", {1, applyLameopts}},
        {"-ofps", {1, setFrameRate}},
        {"-vf", {1, setFilters}},
        {"-vf-pre", {1, putFiltersInFront}},
        {"-srate", {1, setSampleRate}},
        {"-channels", {1, setChannels}},
        {"-of",
         {1, [](Options& options, const std::string& value) { options.outputFormat = value; }}},
    };
    return table;
}

// The options of one input, in its braces after its name.
const std::map<std::string, OptionRule<InputOptions>>& inputOptions()
{
    static const std::map<std::string, OptionRule<InputOptions>> table{
        {"-ss", {1, setStart}},
        {"-endpos", {1, setLength}},
    };
    return table;
}

// Takes the words one at a time. While an input's braces are open, the options are its own.
class CommandLineReader
{
public:
    explicit CommandLineReader(const std::vector<std::string>& arguments) : m_arguments(arguments)
    {
    }

    CommandLineOptions read()
    {
        while (m_next < m_arguments.size())
            readWord(m_arguments[m_next++]);
        if (m_group)
            throw unclosedGroup();
        return std::move(m_options);
    }

private:
    void readWord(const std::string& word)
    {
        if (word.empty())
            return;
        if (m_optionsEnded)
            m_options.inputs.emplace_back().path = word;
        else if (word == "--")
            endOptions();
        else if (word == "{")
            openGroup();
        else if (word == "}")
            closeGroup();
        else if (word[0] != '-')
            addFile(word);
        else if (m_group)
            applyInputOption(word);
        else
            applyRunOption(word);
    }

    // After "--" a name that begins with "-", or a brace, is a file.
    void endOptions()
    {
        if (m_group)
            throw unclosedGroup();
        m_optionsEnded = true;
    }

    void openGroup()
    {
        if (m_group)
            throw EncoderError::usage("Braces do not nest: a { stands inside another.");
        m_group.emplace();
    }

    void closeGroup()
    {
        if (!m_group)
            throw EncoderError::usage("A } stands without its {.");
        if (m_group->path.empty())
            throw EncoderError::usage("Braces hold no file: { }.");
        m_options.inputs.push_back(std::move(*m_group));
        m_group.reset();
    }

    void addFile(const std::string& path)
    {
        if (!m_group)
            m_options.inputs.emplace_back().path = path;
        else if (m_group->path.empty())
            m_group->path = path;
        else
            throw EncoderError::usage("Braces hold one file each, not " + m_group->path + " and " +
                                      path + ".");
    }

    void applyRunOption(const std::string& name)
    {
        const auto rule = runOptions().find(name);
        if (rule != runOptions().end())
            return apply(rule->second, m_options, name);
        if (inputOptions().count(name))
            throw EncoderError::usage("Option " + name +
                                      " is one input's: give it in braces after its file, { file " +
                                      name + " ... }.");
        throw EncoderError::usage(name + " is not an MEncoder option");
    }

    void applyInputOption(const std::string& name)
    {
        const auto rule = inputOptions().find(name);
        if (rule == inputOptions().end())
            throw EncoderError::usage(runOptions().count(name)
                                          ? "Option " + name +
                                                " is the whole run's: it cannot stand in braces."
                                          : name + " is not an MEncoder option");
        if (m_group->path.empty())
            throw EncoderError::usage("In braces the file comes first: { file " + name + " ... }.");
        apply(rule->second, *m_group, name);
    }

    template <typename Target>
    void apply(const OptionRule<Target>& rule, Target& target, const std::string& name)
    {
        if (rule.values == 0)
            return rule.apply(target, std::string());
        if (m_next >= m_arguments.size())
            throw EncoderError::usage("Option " + name + " needs a parameter.");
        rule.apply(target, m_arguments[m_next++]);
    }

    static EncoderError unclosedGroup() { return EncoderError::usage("A { is not closed by }."); }

    const std::vector<std::string>& m_arguments;
    std::size_t m_next = 0;
    CommandLineOptions m_options;
    std::optional<InputOptions> m_group; // the input whose braces are open
    bool m_optionsEnded = false;
};

// What no single option decides.
void checkWholeLine(const CommandLineOptions& options)
{
    if (options.output.empty())
        throw EncoderError::usage("No output file specified, please see the -o option.");
    if (options.inputs.empty())
        throw EncoderError::usage("No input file given.");
    // Sound packets fit only beside the pictures they came with; a copied picture cannot be
    // scaled or retimed.
    if (options.audioEncoder == AudioEncoder::Copy && !options.copyVideo)
        throw EncoderError::usage("-oac copy needs -ovc copy.");
    if (options.copyVideo && (!options.videoFilters.empty() || options.frameRate))
        throw EncoderError::usage("-vf and -ofps cannot change a picture that -ovc copy copies.");
}

} // namespace

namespace {

std::optional<Ratio> parseRatioText(const std::string& text)
{
    const auto separator = text.find_first_of("/:");
    if (separator != std::string::npos) {
        const auto num = parseNumber(text.substr(0, separator));
        const auto den = parseNumber(text.substr(separator + 1));
        if (!num || !den || *num <= 0 || *den <= 0)
            return std::nullopt;
        if (*num == std::floor(*num) && *den == std::floor(*den) && *num < 1e6 && *den < 1e6)
            return Ratio{static_cast<int>(*num), static_cast<int>(*den)};
        const double value = *num / *den;
        return Ratio{static_cast<int>(std::lround(value * 1000)), 1000};
    }
    const auto value = parseNumber(text);
    if (!value || *value <= 0 || *value > 1e6)
        return std::nullopt;
    if (*value == std::floor(*value))
        return Ratio{static_cast<int>(*value), 1};
    // 29.97 and its kin are the NTSC rates.
    for (const int base : {24, 30, 60})
        if (std::abs(*value - base * 1000.0 / 1001) < 0.005)
            return Ratio{base * 1000, 1001};
    return Ratio{static_cast<int>(std::lround(*value * 1000)), 1000};
}

} // namespace

std::optional<Ratio> parseRatio(const std::string& text)
{
    // Kept in thousandths, a value below 0.0005 would be 0.
    const auto ratio = parseRatioText(text);
    if (!ratio || ratio->num <= 0)
        return std::nullopt;
    return ratio;
}

CommandLineOptions parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLineOptions options = CommandLineReader(arguments).read();
    checkWholeLine(options);
    return options;
}

std::vector<std::string> inputPaths(const CommandLineOptions& options)
{
    std::vector<std::string> paths;
    for (const auto& input : options.inputs)
        paths.push_back(input.path);
    return paths;
}

std::optional<double> parsePosition(const std::string& text)
{
    const auto fields = split(text, ':');
    if (fields.size() > 3)
        return std::nullopt;
    double seconds = 0.0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        // Digits only, with a decimal point in the seconds.
        const bool last = i + 1 == fields.size();
        if (fields[i].find_first_not_of(last ? "0123456789." : "0123456789") != std::string::npos ||
            fields[i].find_first_of("0123456789") == std::string::npos)
            return std::nullopt;
        const auto value = parseNumber(fields[i]);
        // Below the first field, minutes and seconds count to 59.
        if (!value || (i > 0 && *value >= 60))
            return std::nullopt;
        seconds = seconds * 60 + *value;
    }
    return seconds;
}

} // namespace asapi
