#include "CopyInputs.h"

#include "EncodedSilence.h"
#include "H264Header.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <tuple>
#include <utility>

namespace asapi {
namespace {

// Nominal rates closer than this share are one rate for a copy: 30000/1001 and 30 fps, 24000/1001
// and 24. Each part keeps its own pictures' times and its sound is placed against them; the output
// states the first clip's rate, which no player shows differently for a part a thousandth off.
constexpr double nominalRateTolerance = 0.0015;
// An average further than this share from the nominal rate is a variable frame rate.
constexpr double variableRateTolerance = 0.001;

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

} // namespace

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

namespace {

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

std::string rateText(double rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", rate);
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

bool sane(AVRational rate)
{
    return rate.num > 0 && rate.den > 0 && av_q2d(rate) >= 1 && av_q2d(rate) <= 240;
}

// The rate a clip is made at, as its container or its stream's times state it: a phone's clip of
// variable frame rate is nominally at 30 fps, on average at 29.4.
double nominalRate(const CopyInput& clip)
{
    const AVStream* video = clip.video();
    if (sane(video->r_frame_rate))
        return av_q2d(video->r_frame_rate);
    return sane(video->avg_frame_rate) ? av_q2d(video->avg_frame_rate)
                                       : clip.facts.frameRate.value();
}

bool variableRate(const CopyInput& clip)
{
    const AVRational average = clip.video()->avg_frame_rate;
    const double nominal = nominalRate(clip);
    return sane(average) && std::abs(av_q2d(average) - nominal) > variableRateTolerance * nominal;
}

AVRational pixelAspect(const CopyInput& clip)
{
    AVRational aspect = av_guess_sample_aspect_ratio(clip.opened.context.get(),
                                                     const_cast<AVStream*>(clip.video()), nullptr);
    if (aspect.num <= 0 || aspect.den <= 0)
        return AVRational{1, 1};
    av_reduce(&aspect.num, &aspect.den, aspect.num, aspect.den, 65535);
    return aspect;
}

// The range its own H.264 sequence parameter set states, which a decoder takes at every join;
// nothing when it states none or it is not H.264.
std::optional<bool> rangeStatedBy(const AVCodecParameters* codec)
{
    if (codec->codec_id != AV_CODEC_ID_H264)
        return std::nullopt;
    const auto sets = parameterSets(codec);
    if (!sets)
        return std::nullopt;
    for (const auto& unit : sets->units) {
        if (sets->lengthSize > 0) {
            if (!unit.empty() && (unit[0] & 0x1f) == 7)
                return statedFullRange(unit);
            continue;
        }
        // Annex B: the units between start codes.
        for (std::size_t i = 0; i + 3 < unit.size(); ++i)
            if (unit[i] == 0 && unit[i + 1] == 0 && unit[i + 2] == 1 && (unit[i + 3] & 0x1f) == 7)
                return statedFullRange(std::vector<std::uint8_t>(unit.begin() + i + 3, unit.end()));
    }
    return std::nullopt;
}

// yuvj420p is yuv420p in full range: the same pictures to a decoder, told apart by the range.
AVPixelFormat withoutRange(int format)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        return AV_PIX_FMT_YUV444P;
    default:
        return static_cast<AVPixelFormat>(format);
    }
}

// What differs between an input and the first one (or another before it), as a sentence on each;
// nothing when the packets of both can follow each other.
struct Difference
{
    std::string input;
    std::string first;
};

// One thing a clip must share with those before it for its packets to follow theirs: whether it
// does, and what each clip has, as the message says it. A field without a sentence for the other
// clip says how the input differs from it ("... cannot follow those of clip1.mp4.").
struct VideoField
{
    bool (*follows)(const CopyInput& input, const CopyInput& other);
    std::string (*says)(const CopyInput& clip);
    bool saysOfOther = true;
};

const std::vector<VideoField>& videoFields()
{
    static const std::vector<VideoField> table{
        {[](const CopyInput& input, const CopyInput& other) {
             return input.video()->codecpar->codec_id == other.video()->codecpar->codec_id;
         },
         [](const CopyInput& clip) {
             return "has " + codecName(clip.video()->codecpar) + " video";
         }},
        // Each part keeps its pictures' own times: a variable frame rate follows one that is
        // nominally the same.
        {[](const CopyInput& input, const CopyInput& other) {
             const AVCodecParameters* a = input.video()->codecpar;
             const AVCodecParameters* b = other.video()->codecpar;
             const double rate = nominalRate(input);
             const double otherRate = nominalRate(other);
             return a->width == b->width && a->height == b->height &&
                    input.facts.width == other.facts.width &&
                    std::abs(rate - otherRate) <= nominalRateTolerance * otherRate;
         },
         [](const CopyInput& clip) {
             const std::string size =
                 std::to_string(clip.facts.width) + "x" + std::to_string(clip.facts.height);
             const std::string rate = rateText(nominalRate(clip)) + " fps";
             return "is " + size + " at " +
                    (variableRate(clip) ? "a variable frame rate around " + rate : rate);
         }},
        {[](const CopyInput& input, const CopyInput& other) {
             return input.facts.rotation == other.facts.rotation;
         },
         [](const CopyInput& clip) {
             return "is shown turned " + std::to_string(clip.facts.rotation) + " degrees";
         }},
        // Pixels of another shape would show the part squeezed: the output has one shape.
        {[](const CopyInput& input, const CopyInput& other) {
             return av_cmp_q(pixelAspect(input), pixelAspect(other)) == 0;
         },
         [](const CopyInput& clip) {
             const AVRational aspect = pixelAspect(clip);
             return "has a pixel aspect ratio of " + std::to_string(aspect.num) + ":" +
                    std::to_string(aspect.den);
         }},
        // A range that differs follows when both clips' own parameter sets state theirs: they go
        // in band, and a decoder takes the range anew from them at the join.
        {[](const CopyInput& input, const CopyInput& other) {
             const AVCodecParameters* a = input.video()->codecpar;
             const AVCodecParameters* b = other.video()->codecpar;
             if (a->format == b->format)
                 return true;
             return withoutRange(a->format) == withoutRange(b->format) &&
                    rangeStatedBy(a).has_value() && rangeStatedBy(b).has_value();
         },
         [](const CopyInput& clip) {
             const char* name =
                 av_get_pix_fmt_name(static_cast<AVPixelFormat>(clip.video()->codecpar->format));
             return "has " + std::string(name ? name : "unknown") + " pictures";
         }},
        {[](const CopyInput& input, const CopyInput& other) {
             return carriedInBand(other.video()->codecpar, input.video()->codecpar);
         },
         [](const CopyInput& clip) {
             return "has " + codecName(clip.video()->codecpar) +
                    " codec parameters that cannot follow those of";
         },
         false},
    };
    return table;
}

std::optional<Difference> videoDifference(const CopyInput& input, const CopyInput& other)
{
    for (const auto& field : videoFields())
        if (!field.follows(input, other))
            return Difference{field.says(input), field.saysOfOther ? field.says(other) : ""};
    return std::nullopt;
}

// Whether silence can be encoded in a sound's codec. Asked for each pair of inputs of which one
// lacks sound: each set-up is tried once.
bool silenceCanBeMade(const AVCodecParameters* sound)
{
    using SetUp = std::tuple<int, int, int, int, int>;
    static std::map<SetUp, bool> known;
    const SetUp setUp{sound->codec_id, sound->sample_rate, sound->ch_layout.nb_channels,
                      sound->profile, sound->frame_size};
    const auto found = known.find(setUp);
    if (found != known.end())
        return found->second;
    return known[setUp] = encodedSilence(sound, false) != nullptr;
}

// A stream that is missing where the other has sound is filled with silence of the other's codec:
// only silence that cannot be made is a difference.
std::optional<Difference> soundDifference(const AVStream* a, const AVStream* b)
{
    const auto codec = [](const AVStream* stream) {
        return stream ? "has " + codecName(stream->codecpar) + " audio"
                      : std::string("has no audio");
    };
    if (!a || !b) {
        if ((a || b) && !silenceCanBeMade((a ? a : b)->codecpar))
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

std::optional<Difference> audioDifference(const CopyInput& input, const CopyInput& first)
{
    return soundDifference(input.audio(), first.audio());
}

// How many pictures at an input's start its edit list hides: a clip trimmed without re-encoding
// starts inside a group of pictures and keeps the pictures before its start only to decode the
// rest. Only MP4 and MOV files hide pictures so, by a packet's discard flag. The file is opened
// anew, as far as its header, since the copy reads the input already open from its start.
int hiddenPictures(const CopyInput& input)
{
    // Pictures enough for the longest group of pictures of a camera or an encoder's default.
    constexpr int readLimit = 600;
    const AVInputFormat* format = input.opened.context->iformat;
    if (format != av_find_input_format("mov"))
        return 0;
    const OpenedInput opened = openContainer(input.facts.path, format);
    AVFormatContext* context = opened.context.get();
    const int videoIndex = input.opened.videoIndex;
    if (static_cast<int>(context->nb_streams) <= videoIndex)
        return 0;
    readOnlyStreams(context, videoIndex);
    const PacketPtr packet = makePacket();
    int hidden = 0;
    while (hidden < readLimit && av_read_frame(context, packet.get()) >= 0) {
        const bool shown = !(packet->flags & AV_PKT_FLAG_DISCARD);
        const bool picture = packet->stream_index == videoIndex;
        av_packet_unref(packet.get());
        if (picture && shown)
            break;
        hidden += picture;
    }
    return hidden;
}

std::string hiddenPicturesSentence(const CopyInput& input, int hidden)
{
    return clipName(input.facts.path) + " starts inside a group of pictures (an edit list hides " +
           (hidden == 1 ? std::string("its first picture")
                        : "its first " + std::to_string(hidden) + " pictures") +
           "), which a copy cannot show correctly.";
}

// "is 1920x1080 at 30 fps" said of the others: "are 1920x1080 at 30 fps".
std::string saidOfSeveral(const std::string& sentence)
{
    if (sentence.starts_with("is "))
        return "are " + sentence.substr(3);
    if (sentence.starts_with("has "))
        return "have " + sentence.substr(4);
    return sentence;
}

std::string differenceSentence(const std::string& name, const Difference& difference,
                               const std::string& otherName, bool otherIsSeveral)
{
    // A difference of the codec's header has no short sentence for the other input.
    if (difference.first.empty())
        return name + " " + difference.input + " " + otherName + ".";
    return name + " " + difference.input + "; " + otherName + " " +
           (otherIsSeveral ? saidOfSeveral(difference.first) : difference.first) + ".";
}

// Gives every input not marked yet that cannot follow the others a reason. The others are the
// most inputs that can follow one of them, the earliest of those standing for them all; an input
// is compared with the one kept before it too, when asked, as the range of its pictures may
// differ from that one's alone.
template <typename DifferenceOf>
void markWhatDiffers(const std::vector<CopyInput>& inputs, DifferenceOf differenceOf,
                     bool withBefore, std::vector<std::string>& reasons)
{
    std::vector<std::size_t> left;
    for (std::size_t i = 0; i < inputs.size(); ++i)
        if (reasons[i].empty())
            left.push_back(i);
    std::size_t reference = 0;
    std::size_t most = 0;
    for (const std::size_t candidate : left) {
        const auto alike = std::count_if(left.begin(), left.end(), [&](std::size_t i) {
            return !differenceOf(inputs[i], inputs[candidate]);
        });
        if (static_cast<std::size_t>(alike) > most) {
            most = static_cast<std::size_t>(alike);
            reference = candidate;
        }
    }
    std::optional<std::size_t> before;
    for (const std::size_t i : left) {
        const std::string name = clipName(inputs[i].facts.path);
        if (const auto difference = differenceOf(inputs[i], inputs[reference])) {
            reasons[i] = most > 1
                             ? differenceSentence(name, *difference, "the others", true)
                             : differenceSentence(name, *difference,
                                                  clipName(inputs[reference].facts.path), false);
            continue;
        }
        if (withBefore && before) {
            if (const auto difference = differenceOf(inputs[i], inputs[*before])) {
                reasons[i] = differenceSentence(name, *difference,
                                                clipName(inputs[*before].facts.path), false);
                continue;
            }
        }
        before = i;
    }
}

// Why each input's pictures cannot follow those of most others; empty for one whose can.
std::vector<std::string> pictureReasons(const std::vector<CopyInput>& inputs)
{
    std::vector<std::string> reasons(inputs.size());
    markWhatDiffers(inputs, videoDifference, true, reasons);
    for (std::size_t i = 0; i < inputs.size(); ++i)
        if (reasons[i].empty())
            if (const int hidden = hiddenPictures(inputs[i]))
                reasons[i] = hiddenPicturesSentence(inputs[i], hidden);
    return reasons;
}

} // namespace

CopyInput openCopyInput(const std::string& path, const std::string& output)
{
    if (sameFile(path, output))
        throw EncoderError::usage("The output file " + output + " is also an input.");
    CopyInput input;
    input.opened = openInput(path);
    input.facts = inputFacts(input.opened, path);
    input.opened.file->setAside();
    return input;
}

std::vector<CopyInput> openCopyInputs(const std::vector<std::string>& paths,
                                      const std::string& output)
{
    std::vector<CopyInput> inputs;
    for (const auto& path : paths)
        inputs.push_back(openCopyInput(path, output));
    return inputs;
}

namespace {

// Where the copied pictures of an exact part begin and end, as CopyInput states them; nothing when
// the part's end is not known.
std::optional<std::pair<std::optional<double>, std::optional<double>>>
copiedSpan(const InputPart& part, const std::vector<double>& keyframes, double length)
{
    if (length <= part.start)
        return std::nullopt;
    const double end = part.length ? std::min(part.end(), length) : length;
    const auto isKeyframe = [&](double time) {
        return std::any_of(keyframes.begin(), keyframes.end(), [time](double keyframe) {
            return std::abs(keyframe - time) <= InputPart::tolerance;
        });
    };
    const bool startOnKeyframe = part.start <= 0.0 || isKeyframe(part.start);
    const bool endOnKeyframe = end >= length - InputPart::tolerance || isKeyframe(end);
    std::optional<double> firstCopied = startOnKeyframe ? std::optional(part.start) : std::nullopt;
    std::optional<double> lastKeyframe = endOnKeyframe ? std::optional(end) : std::nullopt;
    for (const double time : keyframes) {
        if (!firstCopied && time > part.start + InputPart::tolerance)
            firstCopied = time;
        if (!endOnKeyframe && time < end - InputPart::tolerance)
            lastKeyframe = time;
    }
    if (!firstCopied || !lastKeyframe || *lastKeyframe <= *firstCopied + InputPart::tolerance)
        return std::pair(std::optional(end), std::optional(end));
    return std::pair(startOnKeyframe ? std::nullopt : firstCopied,
                     endOnKeyframe ? std::nullopt : lastKeyframe);
}

} // namespace

void cutPartAtKeyframes(CopyInput& input, const InputPart& part, bool inBandAllowed)
{
    input.facts.part = part;
    // Encoded again whole to match the others: its points stay where they are.
    if (input.match) {
        const double end = part.length                         ? part.end()
                           : input.facts.duration > part.start ? input.facts.duration
                                                               : part.start + 1e6;
        input.copyFrom = input.copyUntil = end;
        return;
    }
    if (part.wholeInput())
        return;
    const Keyframes found =
        keyframeTimes(input.facts.path, part.start, part.length ? part.end() : part.start);
    const std::vector<double>& keyframes = found.shown;
    // A length the header does not state is where the pictures were read to end.
    if (input.facts.duration <= 0.0 && found.inputEnd)
        input.facts.duration = *found.inputEnd;
    const KeyframeCut cut = cutAtKeyframes(part, found, input.facts.duration);
    if (cut.moved.empty())
        return;
    // The points of an x264 clip stay where they are when its pictures between each point and
    // its keyframe, encoded again, fit the copied ones; those of another clip, when the encoded
    // pictures may bring parameter sets of their own.
    if (const auto span = copiedSpan(part, keyframes, input.facts.duration)) {
        auto settings = cutSettingsFor(input.facts.path, input.facts.frameRate);
        if (!settings && inBandAllowed)
            settings = inBandCutSettingsFor(input.facts.path, part.start,
                                            part.length ? part.end() : input.facts.duration);
        if (settings) {
            std::tie(input.copyFrom, input.copyUntil) = *span;
            input.cutSettings = *settings;
            return;
        }
    }
    input.facts.part.start = cut.start;
    input.facts.part.length = cut.end ? std::optional<double>(*cut.end - cut.start) : std::nullopt;
    input.moved = cut.moved;
}

std::vector<std::string> reasonsEachDiffers(const std::vector<CopyInput>& inputs, bool audioCopied,
                                            Container container)
{
    std::vector<std::string> reasons = pictureReasons(inputs);
    // Those encoded again to match the others can follow them.
    for (std::size_t i = 0; i < inputs.size(); ++i)
        if (inputs[i].match)
            reasons[i].clear();
    if (audioCopied && !soundCanFollow(inputs, container))
        markWhatDiffers(inputs, audioDifference, false, reasons);
    return reasons;
}

std::size_t mostAlike(const std::vector<const AVStream*>& sounds)
{
    std::size_t best = 0;
    long most = -1;
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        if (!sounds[i])
            continue;
        const long alike = std::count_if(sounds.begin(), sounds.end(), [&](const AVStream* other) {
            return other && !soundDifference(other, sounds[i]);
        });
        if (alike > most) {
            most = alike;
            best = i;
        }
    }
    return best;
}

bool soundCanFollow(const std::vector<CopyInput>& inputs, Container container)
{
    std::vector<const AVStream*> sounds;
    for (const CopyInput& input : inputs)
        sounds.push_back(input.audio());
    const AVStream* reference = sounds[mostAlike(sounds)];
    return reference &&
           (encodesAlike(reference->codecpar) || wholeTrackEncoder(reference->codecpar, container));
}

std::optional<std::string> soundRefusal(const CopyInput& input, const AVStream* sound,
                                        const CopyInput& reference, const AVStream* referenceSound)
{
    const auto difference = soundDifference(sound, referenceSound);
    if (!difference)
        return std::nullopt;
    return differenceSentence(clipName(input.facts.path), *difference,
                              clipName(reference.facts.path), false);
}

std::vector<CarriedTrack> carryTracks(std::vector<CopyInput>& inputs)
{
    std::vector<std::vector<TrackSource>> sources;
    for (const CopyInput& input : inputs)
        sources.push_back(input.facts.tracks);
    std::vector<CarriedTrack> tracks = carriedTracks(sources);
    if (tracks.empty() || tracks.front().type != AVMEDIA_TYPE_AUDIO)
        return tracks;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        CopyInput& input = inputs[i];
        if (tracks.front().streams[i] == input.opened.audioIndex)
            continue;
        input.opened.audioIndex = tracks.front().streams[i];
        const InputPart part = input.facts.part;
        input.facts = inputFacts(input.opened, input.facts.path);
        input.facts.part = part;
    }
    return tracks;
}

void checkCopyable(const std::vector<CopyInput>& inputs, bool audioCopied, Container container)
{
    // The pictures of those copied, as those encoded again to match take the others'.
    std::vector<const CopyInput*> copied, all;
    for (const CopyInput& input : inputs) {
        all.push_back(&input);
        if (!input.match)
            copied.push_back(&input);
    }
    // The pictures first: sound that differs is told apart, as encoding it once cures it.
    // What is alike to the first is alike to the one before, but for a picture range that only
    // the parameter sets of both state: one that states none keeps the range before it.
    const auto refuseFirstDifference = [&](const std::vector<const CopyInput*>& these,
                                           auto differenceOf, auto refusal, bool withBefore) {
        for (std::size_t i = 1; i < these.size(); ++i) {
            const CopyInput* other = these.front();
            auto difference = differenceOf(*these[i], *other);
            if (!difference && withBefore && (difference = differenceOf(*these[i], *these[i - 1])))
                other = these[i - 1];
            if (!difference)
                continue;
            throw refusal(differenceSentence(clipName(these[i]->facts.path), *difference,
                                             clipName(other->facts.path), false));
        }
    };
    refuseFirstDifference(copied, videoDifference, EncoderError::cannotCopy, true);
    for (const CopyInput* input : copied) {
        const int hidden = hiddenPictures(*input);
        if (hidden == 0)
            continue;
        throw EncoderError::cannotCopy(hiddenPicturesSentence(*input, hidden));
    }
    if (audioCopied && !soundCanFollow(inputs, container))
        refuseFirstDifference(all, audioDifference, EncoderError::cannotCopySound, false);
}

const CopyInput& copiedReference(const std::vector<CopyInput>& inputs)
{
    const auto copied = std::find_if(inputs.begin(), inputs.end(),
                                     [](const CopyInput& input) { return !input.match; });
    return copied != inputs.end() ? *copied : inputs.front();
}

std::vector<std::string> matchDiffering(std::vector<CopyInput>& inputs, bool audioCopied,
                                        Container container, bool inBandAllowed)
{
    std::vector<std::string> reasons = pictureReasons(inputs);
    const auto reference = std::find_if(inputs.begin(), inputs.end(), [&](const CopyInput& input) {
        return reasons[&input - inputs.data()].empty();
    });
    const auto cannot = [&reasons] { return std::vector<std::string>(reasons.size()); };
    if (reference == inputs.end() ||
        std::all_of(reasons.begin(), reasons.end(), [](const auto& r) { return r.empty(); }))
        return cannot();
    // Copied sound that cannot follow the others' keeps its input refused.
    std::vector<std::string> sound(inputs.size());
    if (audioCopied && !soundCanFollow(inputs, container))
        markWhatDiffers(inputs, audioDifference, false, sound);
    for (std::size_t i = 0; i < inputs.size(); ++i)
        if (!sound[i].empty())
            reasons[i].clear();
    if (std::all_of(reasons.begin(), reasons.end(), [](const auto& r) { return r.empty(); }))
        return cannot();
    auto settings = cutSettingsFor(reference->facts.path, reference->facts.frameRate);
    if (!settings && inBandAllowed)
        settings = inBandCutSettingsFor(reference->facts.path, 0.0, 0.0);
    if (!settings)
        return cannot();
    ParametersPtr like(allocated(avcodec_parameters_alloc()), ParametersDeleter{});
    check(avcodec_parameters_copy(like.get(), reference->video()->codecpar), "Out of memory");
    for (std::size_t i = 0; i < inputs.size(); ++i)
        if (!reasons[i].empty()) {
            // Its pictures are turned so that the others' turn shows them as the input shows
            // them: upright where the others are shown as stored.
            const int turn = (inputs[i].facts.rotation - reference->facts.rotation + 360) % 360;
            inputs[i].match =
                MatchedShape{like, reference->facts.frameRate, reference->facts.pixelAspect, turn};
            inputs[i].cutSettings = *settings;
        }
    return reasons;
}

void checkContainerKeeps(const std::vector<CopyInput>& inputs, Container container,
                         bool audioCopied)
{
    // A clip encoded again to match the others is made upright.
    const auto turned = std::find_if(inputs.begin(), inputs.end(), [](const CopyInput& input) {
        return input.facts.rotation && !input.match;
    });
    if (turned == inputs.end() || container->keepsRotation)
        return;
    const AVStream* sound = inputs.front().audio();
    const CopiedStreams streams{codecName(inputs.front().video()->codecpar),
                                sound ? codecName(sound->codecpar) : "", audioCopied,
                                turned->facts.rotation};
    throw EncoderError::cannotCopy(clipName(turned->facts.path) + " is shown turned " +
                                   std::to_string(turned->facts.rotation) + " degrees, which an " +
                                   containerName(container) + " copy cannot keep; " +
                                   copyAlternative(container, streams));
}

bool parametersGoInBand(const std::vector<CopyInput>& inputs)
{
    return std::any_of(inputs.begin(), inputs.end(), [&inputs](const CopyInput& input) {
        return !sameBytes(inputs.front().pictureParameters(), input.pictureParameters()) ||
               input.encodesWithOwnSets();
    });
}

void appendLengthPrefixed(std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& unit,
                          int lengthSize)
{
    for (int i = lengthSize - 1; i >= 0; --i)
        bytes.push_back(static_cast<std::uint8_t>(unit.size() >> (8 * i)));
    bytes.insert(bytes.end(), unit.begin(), unit.end());
}

std::vector<std::uint8_t> inBandParameterSets(const AVCodecParameters* inEffect,
                                              const AVCodecParameters* input)
{
    if (inEffect && sameBytes(inEffect, input))
        return {};
    std::vector<std::uint8_t> bytes;
    const auto sets = parameterSets(input);
    if (!sets)
        return bytes;
    for (const auto& unit : sets->units) {
        appendLengthPrefixed(bytes, unit, sets->lengthSize);
    }
    return bytes;
}

} // namespace asapi
