#include "CopyInputs.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>

namespace asapi {
namespace {

// Frame rates closer than this share are one rate: containers round their time bases.
constexpr double frameRateTolerance = 0.001;

std::string fileName(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

bool sameBytes(const AVCodecParameters* a, const AVCodecParameters* b)
{
    return a->extradata_size == b->extradata_size &&
           (a->extradata_size == 0 ||
            std::memcmp(a->extradata, b->extradata, static_cast<std::size_t>(a->extradata_size)) ==
                0);
}

// How a stream's packets carry their NAL units, and the parameter sets its header holds.
struct ParameterSets
{
    int lengthSize = 0; // bytes of each unit's length; 0: start codes (Annex B)
    std::vector<std::vector<std::uint8_t>> units;
};

int bigEndian16(const std::uint8_t* bytes)
{
    return bytes[0] << 8 | bytes[1];
}

// The units of an avcC or hvcC record from p on: count units of a two-byte length each.
bool readUnits(const std::uint8_t* data, int size, int& p, int count, ParameterSets& sets)
{
    for (int i = 0; i < count; ++i) {
        if (p + 2 > size)
            return false;
        const int length = bigEndian16(data + p);
        p += 2;
        if (p + length > size)
            return false;
        sets.units.emplace_back(data + p, data + p + length);
        p += length;
    }
    return true;
}

std::optional<ParameterSets> parameterSets(const AVCodecParameters* codec)
{
    const std::uint8_t* data = codec->extradata;
    const int size = codec->extradata_size;
    if (codec->codec_id != AV_CODEC_ID_H264 && codec->codec_id != AV_CODEC_ID_HEVC)
        return std::nullopt;
    ParameterSets sets;
    if (size >= 4 && data[0] == 0 && data[1] == 0 &&
        (data[2] == 1 || (data[2] == 0 && data[3] == 1))) {
        sets.units.emplace_back(data, data + size); // start codes and all
        return sets;
    }
    int p = 0;
    if (codec->codec_id == AV_CODEC_ID_H264) {
        // avcC: version, profile, compatibility, level, length size, SPS count, SPSs, PPS count,
        // PPSs
        if (size < 7 || data[0] != 1)
            return std::nullopt;
        sets.lengthSize = (data[4] & 3) + 1;
        p = 6;
        if (!readUnits(data, size, p, data[5] & 0x1f, sets) || p >= size)
            return std::nullopt;
        const int pictureSets = data[p++];
        if (!readUnits(data, size, p, pictureSets, sets))
            return std::nullopt;
        return sets;
    }
    // hvcC: 21 bytes of configuration, length size, array count, arrays of typed units
    if (size < 23 || data[0] != 1)
        return std::nullopt;
    sets.lengthSize = (data[21] & 3) + 1;
    const int arrays = data[22];
    p = 23;
    for (int i = 0; i < arrays; ++i) {
        if (p + 3 > size)
            return std::nullopt;
        const int count = bigEndian16(data + p + 1);
        p += 3;
        if (!readUnits(data, size, p, count, sets))
            return std::nullopt;
    }
    return sets;
}

// The parameters of a later input can be handed to the decoder in band: same codec, same form
// of packets. Anything else in a codec's header a container holds once for the whole stream.
bool carriedInBand(const AVCodecParameters* first, const AVCodecParameters* input)
{
    if (sameBytes(first, input))
        return true;
    const auto a = parameterSets(first);
    const auto b = parameterSets(input);
    return a && b && a->lengthSize == b->lengthSize;
}

std::string rateText(Ratio rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", rate.value());
    std::string shown = text;
    shown.erase(shown.find_last_not_of('0') + 1);
    if (shown.back() == '.')
        shown.pop_back();
    return shown;
}

std::string codecName(const AVCodecParameters* codec)
{
    return avcodec_get_name(codec->codec_id);
}

// What differs between an input and the first one, as a sentence on each; nothing when the
// packets of both can follow each other.
struct Difference
{
    std::string input;
    std::string first;
};

std::optional<Difference> videoDifference(const CopyInput& input, const CopyInput& first)
{
    const AVCodecParameters* a = input.video()->codecpar;
    const AVCodecParameters* b = first.video()->codecpar;
    if (a->codec_id != b->codec_id)
        return Difference{"has " + codecName(a) + " video", "has " + codecName(b) + " video"};
    const auto shape = [](const CopyInput& clip) {
        return "is " + std::to_string(clip.facts.width) + "x" + std::to_string(clip.facts.height) +
               " at " + rateText(clip.facts.frameRate) + " fps";
    };
    const double rate = input.facts.frameRate.value();
    const double firstRate = first.facts.frameRate.value();
    if (a->width != b->width || a->height != b->height || input.facts.width != first.facts.width ||
        std::abs(rate - firstRate) > frameRateTolerance * firstRate)
        return Difference{shape(input), shape(first)};
    if (input.facts.rotation != first.facts.rotation)
        return Difference{"is shown turned " + std::to_string(input.facts.rotation) + " degrees",
                          "is shown turned " + std::to_string(first.facts.rotation) + " degrees"};
    if (a->format != b->format) {
        const auto pixels = [](const AVCodecParameters* codec) {
            const char* name = av_get_pix_fmt_name(static_cast<AVPixelFormat>(codec->format));
            return "has " + std::string(name ? name : "unknown") + " pictures";
        };
        return Difference{pixels(a), pixels(b)};
    }
    if (!carriedInBand(b, a))
        return Difference{"has " + codecName(a) + " codec parameters that cannot follow those of",
                          ""};
    return std::nullopt;
}

std::optional<Difference> audioDifference(const CopyInput& input, const CopyInput& first)
{
    const AVStream* a = input.audio();
    const AVStream* b = first.audio();
    const auto codec = [](const AVStream* stream) {
        return stream ? "has " + codecName(stream->codecpar) + " audio"
                      : std::string("has no audio");
    };
    if (!a || !b) {
        if (a || b)
            return Difference{codec(a), codec(b)};
        return std::nullopt;
    }
    if (a->codecpar->codec_id != b->codecpar->codec_id)
        return Difference{codec(a), codec(b)};
    if (a->codecpar->sample_rate != b->codecpar->sample_rate) {
        const auto rate = [](const AVStream* stream) {
            return "has audio at " + std::to_string(stream->codecpar->sample_rate) + " Hz";
        };
        return Difference{rate(a), rate(b)};
    }
    if (a->codecpar->ch_layout.nb_channels != b->codecpar->ch_layout.nb_channels) {
        const auto channels = [](const AVStream* stream) {
            const int count = stream->codecpar->ch_layout.nb_channels;
            return "has " + std::to_string(count) + " audio channel" + (count == 1 ? "" : "s");
        };
        return Difference{channels(a), channels(b)};
    }
    if (!sameBytes(a->codecpar, b->codecpar))
        return Difference{"has " + codecName(a->codecpar) +
                              " audio codec parameters that cannot follow those of",
                          ""};
    return std::nullopt;
}

} // namespace

std::vector<CopyInput> openCopyInputs(const std::vector<std::string>& paths,
                                      const std::string& output)
{
    std::vector<CopyInput> inputs;
    for (const auto& path : paths) {
        if (sameFile(path, output))
            throw EncoderError::usage("The output file " + output + " is also an input.");
        CopyInput input;
        input.opened = openInput(path);
        input.facts = inputFacts(input.opened, path);
        inputs.push_back(std::move(input));
    }
    return inputs;
}

void checkCopyable(const std::vector<CopyInput>& inputs, bool audioCopied)
{
    const CopyInput& first = inputs.front();
    // The pictures first: sound that differs is told apart, as encoding it once cures it.
    const auto refuseFirstDifference = [&](auto differenceOf, auto refusal) {
        for (std::size_t i = 1; i < inputs.size(); ++i) {
            const auto difference = differenceOf(inputs[i], first);
            if (!difference)
                continue;
            const std::string name = fileName(inputs[i].facts.path);
            const std::string firstName = fileName(first.facts.path);
            // A difference of the codec's header has no short sentence for the first input.
            throw refusal(difference->first.empty()
                              ? name + " " + difference->input + " " + firstName + "."
                              : name + " " + difference->input + "; " + firstName + " " +
                                    difference->first + ".");
        }
    };
    refuseFirstDifference(videoDifference, EncoderError::cannotCopy);
    if (audioCopied)
        refuseFirstDifference(audioDifference, EncoderError::cannotCopySound);
}

bool parametersGoInBand(const std::vector<CopyInput>& inputs)
{
    return std::any_of(inputs.begin() + 1, inputs.end(), [&inputs](const CopyInput& input) {
        return !sameBytes(inputs.front().video()->codecpar, input.video()->codecpar);
    });
}

std::vector<std::uint8_t> inBandParameterSets(const AVCodecParameters* inEffect,
                                              const AVCodecParameters* input)
{
    std::vector<std::uint8_t> bytes;
    if (sameBytes(inEffect, input))
        return bytes;
    const auto sets = parameterSets(input);
    if (!sets)
        return bytes;
    for (const auto& unit : sets->units) {
        for (int i = sets->lengthSize - 1; i >= 0; --i)
            bytes.push_back(static_cast<std::uint8_t>(unit.size() >> (8 * i)));
        bytes.insert(bytes.end(), unit.begin(), unit.end());
    }
    return bytes;
}

} // namespace asapi
