#include "CutEncoder.h"

#include "CopyInputs.h"
#include "InputProbe.h"
#include "StopSignal.h"
#include "StreamDecoder.h"
#include "VideoNormaliser.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <sstream>
#include <vector>

namespace asapi {
namespace {

using Unit = std::vector<std::uint8_t>;

std::map<std::string, std::string> optionFields(const std::string& options)
{
    std::map<std::string, std::string> fields;
    std::istringstream words(options);
    std::string word;
    while (words >> word)
        if (const auto equals = word.find('='); equals != std::string::npos)
            fields[word.substr(0, equals)] = word.substr(equals + 1);
    return fields;
}

// The NAL units of bytes with start codes, without them.
std::vector<Unit> annexBUnits(const std::uint8_t* data, int size)
{
    std::vector<Unit> units;
    int start = -1;
    for (int i = 0; i + 2 < size; ++i) {
        if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1)
            continue;
        if (start >= 0) {
            int end = i;
            while (end > start && data[end - 1] == 0)
                --end;
            units.emplace_back(data + start, data + end);
        }
        start = i + 3;
        i += 2;
    }
    if (start >= 0 && start < size)
        units.emplace_back(data + start, data + size);
    return units;
}

int unitType(std::uint8_t header, bool hevc)
{
    return hevc ? (header >> 1) & 0x3f : header & 0x1f;
}

// H.264's sequence and picture parameter sets; HEVC's video, sequence and picture ones.
bool parameterSet(const Unit& unit, bool hevc = false)
{
    const int type = unit.empty() ? 0 : unitType(unit.front(), hevc);
    return hevc ? type >= 32 && type <= 34 : type == 7 || type == 8;
}

// Whether a packet of length-prefixed NAL units holds an IDR picture's slice.
bool holdsIdrSlice(const AVPacket* packet, int lengthSize, bool hevc)
{
    for (int at = 0; at + lengthSize < packet->size;) {
        std::size_t length = 0;
        for (int i = 0; i < lengthSize; ++i)
            length = (length << 8) | packet->data[at + i];
        at += lengthSize;
        const int type = unitType(packet->data[at], hevc);
        if (hevc ? type == 19 || type == 20 : type == 5)
            return true;
        at += static_cast<int>(length);
    }
    return false;
}

const char* x264ProfileName(int profile)
{
    switch (profile & ~FF_PROFILE_H264_CONSTRAINED) {
    case FF_PROFILE_H264_BASELINE:
        return "baseline";
    case FF_PROFILE_H264_MAIN:
        return "main";
    case FF_PROFILE_H264_HIGH_10:
        return "high10";
    case FF_PROFILE_H264_HIGH_422:
        return "high422";
    case FF_PROFILE_H264_HIGH_444_PREDICTIVE:
        return "high444";
    default:
        return "high";
    }
}

// threads: 1 for the few pictures at a cut, which are encoded beside others; 0 (as many as
// suit the machine) for a whole clip.
CodecContextPtr openCutEncoder(const AVCodecParameters* clip, Ratio rate,
                               const CutSettings& settings, int threads = 1)
{
    const bool hevc = clip->codec_id == AV_CODEC_ID_HEVC;
    const AVCodec* codec = avcodec_find_encoder_by_name(hevc ? "libx265" : "libx264");
    if (!codec)
        return nullptr;
    CodecContextPtr context(allocated(avcodec_alloc_context3(codec)));
    context->width = clip->width;
    context->height = clip->height;
    context->pix_fmt = static_cast<AVPixelFormat>(clip->format);
    // x264 states its clock in the parameter sets: the clip's was counted in pictures.
    context->time_base = AVRational{rate.den, rate.num};
    context->framerate = AVRational{rate.num, rate.den};
    context->sample_aspect_ratio = clip->sample_aspect_ratio;
    context->color_range = clip->color_range;
    context->color_primaries = clip->color_primaries;
    context->color_trc = clip->color_trc;
    context->colorspace = clip->color_space;
    context->chroma_sample_location = clip->chroma_location;
    context->level = clip->level;
    context->thread_count = threads;
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    if (hevc) {
        av_dict_set(&options, "x265-params", settings.params.c_str(), 0);
        av_dict_set(&options, "profile",
                    clip->profile == FF_PROFILE_HEVC_MAIN_10 ? "main10" : "main", 0);
    } else {
        av_dict_set(&options, "x264-params",
                    (settings.params + (settings.stitchable ? ":stitchable=1" : "")).c_str(), 0);
        if (settings.inBand)
            av_dict_set(&options, "profile", x264ProfileName(clip->profile), 0);
    }
    const int opened = avcodec_open2(context.get(), codec, &options);
    av_dict_free(&options);
    return opened < 0 ? nullptr : std::move(context);
}

std::vector<Unit> encoderParameterSets(const AVCodecContext* encoder)
{
    const bool hevc = encoder->codec_id == AV_CODEC_ID_HEVC;
    std::vector<Unit> units = annexBUnits(encoder->extradata, encoder->extradata_size);
    std::erase_if(units, [hevc](const Unit& unit) { return !parameterSet(unit, hevc); });
    return units;
}

} // namespace

std::optional<std::string> x264Options(const std::uint8_t* data, int size)
{
    static const std::string signature = "x264 - core ";
    static const std::string optionsStart = "options: ";
    const auto end = data + size;
    const auto found = std::search(data, end, signature.begin(), signature.end());
    if (found == end)
        return std::nullopt;
    const auto text = std::find_if(found, end, [](std::uint8_t c) { return c < 0x20; });
    const std::string note(found, text);
    const auto options = note.find(optionsStart);
    if (options == std::string::npos)
        return std::nullopt;
    return note.substr(options + optionsStart.size());
}

std::string cutParams(const std::string& options)
{
    // Written as x264 states them; x264 reads its option names with '_' as '-'.
    static const char* const kept[] = {"cabac",          "ref",
                                       "bframes",        "b_pyramid",
                                       "b_adapt",        "weightb",
                                       "weightp",        "8x8dct",
                                       "keyint",         "keyint_min",
                                       "open_gop",       "interlaced",
                                       "bluray_compat",  "constrained_intra",
                                       "sliced_threads", "psy",
                                       "mixed_ref",      "me",
                                       "me_range",       "subme",
                                       "trellis",        "scenecut",
                                       "rc_lookahead",   "mbtree",
                                       "qcomp",          "fast_pskip",
                                       "decimate",       "chroma_me"};
    const auto fields = optionFields(options);
    std::string params;
    const auto add = [&params](const std::string& name, const std::string& value) {
        params += (params.empty() ? "" : ":") + name + "=" + value;
    };
    for (const char* name : kept)
        if (const auto field = fields.find(name); field != fields.end())
            add(name, field->second);
    const auto field = [&fields](const std::string& name) {
        const auto found = fields.find(name);
        return found == fields.end() ? std::string() : found->second;
    };
    static const char* const directModes[] = {"none", "spatial", "temporal", "auto"};
    if (const std::string direct = field("direct");
        direct.size() == 1 && direct[0] >= '0' && direct[0] <= '3')
        add("direct", directModes[direct[0] - '0']);
    if (std::string psyRd = field("psy_rd"); !psyRd.empty()) {
        std::replace(psyRd.begin(), psyRd.end(), ':', ',');
        add("psy-rd", psyRd);
    }
    // deblock=on:alpha:beta; aq=mode:strength
    if (const std::string deblock = field("deblock"); deblock.size() > 2) {
        if (deblock[0] == '0')
            add("no-deblock", "1");
        else {
            std::string offsets = deblock.substr(2);
            std::replace(offsets.begin(), offsets.end(), ':', ',');
            add("deblock", offsets);
        }
    }
    if (const std::string aq = field("aq"); !aq.empty()) {
        const auto colon = aq.find(':');
        add("aq-mode", aq.substr(0, colon));
        if (colon != std::string::npos)
            add("aq-strength", aq.substr(colon + 1));
    }
    // The rate control only sets the first quantiser the picture parameter set states.
    if (field("rc") == "crf" && !field("crf").empty())
        add("crf", field("crf"));
    else if (field("rc") == "cqp" && !field("qp").empty())
        add("qp", field("qp"));
    // A phone's or a streaming program's average bitrate, as x264 states it (kbit/s).
    else if ((field("rc") == "abr" || field("rc") == "cbr") && !field("bitrate").empty())
        add("bitrate", field("bitrate"));
    return params;
}

std::optional<CutSettings> cutSettingsFor(const std::string& path, Ratio rate)
{
    const OpenedInput input = openInput(path);
    AVFormatContext* context = input.context.get();
    const AVStream* video = context->streams[input.videoIndex];
    if (video->codecpar->codec_id != AV_CODEC_ID_H264)
        return std::nullopt;
    const auto sets = parameterSets(video->codecpar);
    if (!sets || sets->lengthSize == 0)
        return std::nullopt;
    std::vector<Unit> clipSets = sets->units;
    std::erase_if(clipSets, [](const Unit& unit) { return !parameterSet(unit); });
    std::optional<std::string> options;
    readPackets(
        context, path, [](const std::string&) {},
        [&](AVPacket* packet) {
            if (packet->stream_index != input.videoIndex)
                return true;
            options = x264Options(packet->data, packet->size);
            return false;
        });
    if (!options)
        return std::nullopt;
    // x264 names open_gop only with B-pictures: without them every group is closed.
    auto fields = optionFields(*options);
    const bool closedGroups =
        fields.contains("open_gop") ? fields["open_gop"] == "0" : fields["bframes"] == "0";
    if (!closedGroups)
        return std::nullopt;
    CutSettings settings{cutParams(*options), true, sets->lengthSize};
    for (const bool stitchable : {true, false}) {
        settings.stitchable = stitchable;
        const CodecContextPtr encoder = openCutEncoder(video->codecpar, rate, settings);
        if (encoder && encoderParameterSets(encoder.get()) == clipSets)
            return settings;
    }
    return std::nullopt;
}

std::optional<CutSettings> inBandCutSettingsFor(const std::string& path, double from, double until)
{
    const OpenedInput input = openInput(path);
    AVFormatContext* context = input.context.get();
    readOnlyStreams(context, input.videoIndex);
    const AVStream* video = context->streams[input.videoIndex];
    const auto sets = parameterSets(video->codecpar);
    if (!sets || sets->lengthSize == 0)
        return std::nullopt;
    const bool hevc = video->codecpar->codec_id == AV_CODEC_ID_HEVC;
    const std::int64_t origin = pictureOrigin(context, video);
    const std::int64_t last = origin + std::llround(until / av_q2d(video->time_base));
    bool idrOnly = true;
    seekToPart(context, input.videoIndex, origin, from, path);
    readPackets(
        context, path, [](const std::string&) {},
        [&](AVPacket* packet) {
            if (packet->stream_index != input.videoIndex || !(packet->flags & AV_PKT_FLAG_KEY))
                return true;
            idrOnly = holdsIdrSlice(packet, sets->lengthSize, hevc);
            const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            return idrOnly && stamp != AV_NOPTS_VALUE && stamp < last;
        });
    if (!idrOnly)
        return std::nullopt;
    // Without B-pictures the few pictures encoded again are decoded as they are shown, and
    // the copied ones' decode times follow on from them.
    if (hevc)
        return CutSettings{"crf=16:bframes=0:keyint=600:scenecut=0:info=0:log-level=error", false,
                           sets->lengthSize, true};
    return CutSettings{"crf=16:bframes=0:keyint=infinite:scenecut=0", false, sets->lengthSize,
                       true};
}

namespace {

// A matched clip's picture is held over a gap in its pictures of up to this many seconds.
constexpr double kLongestHeldPicture = 3600.0;

// Where the input's picture lies in a matched clip's picture: as large as it fits, its shape kept,
// black around it.
PictureLayout keptShapeIn(const AVCodecParameters* input, const AVCodecParameters* like, int turn)
{
    const auto aspect = [](const AVCodecParameters* codec) {
        const AVRational sar = codec->sample_aspect_ratio;
        return (sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0) * codec->width / codec->height;
    };
    const double inputAspect = turn % 180 ? 1.0 / aspect(input) : aspect(input);
    const double pixel = like->sample_aspect_ratio.num > 0 && like->sample_aspect_ratio.den > 0
                             ? av_q2d(like->sample_aspect_ratio)
                             : 1.0;
    PictureLayout layout{like->width, like->height, 0, 0, like->width, like->height, aspect(like)};
    const auto even = [](double size) { return std::max(2, 2 * static_cast<int>(size / 2 + 0.5)); };
    if (inputAspect > aspect(like))
        layout.pictureHeight = std::min(like->height, even(like->width * pixel / inputAspect));
    else
        layout.pictureWidth = std::min(like->width, even(like->height * inputAspect / pixel));
    layout.pictureX = (like->width - layout.pictureWidth) / 4 * 2;
    layout.pictureY = (like->height - layout.pictureHeight) / 4 * 2;
    return layout;
}

} // namespace

void encodeCut(const std::string& path, Ratio rate, const CutSettings& settings, double from,
               double until, const std::function<void(AVPacket*)>& write, const MatchedShape* match)
{
    const OpenedInput input = openInput(path);
    AVFormatContext* context = input.context.get();
    readOnlyStreams(context, input.videoIndex);
    const AVStream* video = context->streams[input.videoIndex];
    const AVRational timeBase = video->time_base;
    const std::int64_t origin = pictureOrigin(context, video);
    const auto ticks = [&](double seconds) {
        return origin + std::llround(seconds / av_q2d(timeBase));
    };
    const AVRational pictures{rate.den, rate.num};
    // The pictures that start from `from` on and before `until`, as a part's points take them.
    const std::int64_t first = ticks(from - InputPart::tolerance);
    const std::int64_t last = std::isfinite(until) ? ticks(until - InputPart::tolerance)
                                                   : std::numeric_limits<std::int64_t>::max();
    // A matched clip's pictures are counted at the others' rate.
    const AVRational encodedPictures =
        match ? AVRational{match->rate.den, match->rate.num} : pictures;

    // A whole clip encoded to match others is the one thing the join does meanwhile.
    const int threads = match ? 0 : 1;
    const CodecContextPtr decoder = openDecoder(video, threads);
    const CodecContextPtr encoder = openCutEncoder(match ? match->like.get() : video->codecpar,
                                                   match ? match->rate : rate, settings, threads);
    if (!decoder || !encoder)
        throw EncoderError{"Cannot encode the pictures at a cut of " + path + " again."};
    // The units written are the encoder's, which a matched clip's own codec need not be.
    const bool hevc = encoder->codec_id == AV_CODEC_ID_HEVC;
    const FramePtr frame = makeFrame();
    const PacketPtr encoded = makePacket();
    std::int64_t firstShown = AV_NOPTS_VALUE;

    // The encoder's parameter sets go before its first keyframe when they come in band.
    std::vector<Unit> ownSets;
    if (settings.inBand)
        ownSets = encoderParameterSets(encoder.get());
    const auto takeEncoded = [&] {
        while (avcodec_receive_packet(encoder.get(), encoded.get()) == 0) {
            std::vector<Unit> units = annexBUnits(encoded->data, encoded->size);
            std::erase_if(units, [hevc](const Unit& unit) { return parameterSet(unit, hevc); });
            if (encoded->flags & AV_PKT_FLAG_KEY)
                units.insert(units.begin(), ownSets.begin(), ownSets.end());
            ownSets.clear();
            std::vector<std::uint8_t> bytes;
            for (const Unit& unit : units)
                appendLengthPrefixed(bytes, unit, settings.lengthSize);
            PacketPtr packet = makePacket();
            check(av_new_packet(packet.get(), static_cast<int>(bytes.size())), "Out of memory");
            std::memcpy(packet->data, bytes.data(), bytes.size());
            packet->pts = firstShown + av_rescale_q(encoded->pts, encodedPictures, timeBase);
            packet->dts = firstShown + av_rescale_q(encoded->dts, encodedPictures, timeBase);
            packet->duration = av_rescale_q(1, encodedPictures, timeBase);
            packet->flags = encoded->flags & AV_PKT_FLAG_KEY;
            av_packet_unref(encoded.get());
            write(packet.get());
        }
    };
    const auto encode = [&](AVFrame* picture) {
        picture->pict_type = AV_PICTURE_TYPE_NONE;
        check(avcodec_send_frame(encoder.get(), picture),
              "Cannot encode the pictures at a cut of " + path + " again");
        takeEncoded();
    };
    // A matched clip's pictures take the others' size and rate.
    std::optional<VideoNormaliser> shaper;
    if (match)
        shaper.emplace(VideoTarget{match->like->width, match->like->height,
                                   static_cast<AVPixelFormat>(match->like->format),
                                   match->like->sample_aspect_ratio, match->rate},
                       keptShapeIn(video->codecpar, match->like.get(), match->turn), match->turn,
                       kLongestHeldPicture, [&](FramePtr shaped) {
                           shaped->pts = shaper->framesEmitted();
                           encode(shaped.get());
                       });
    const auto takeDecoded = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
            const std::int64_t shown = frame->best_effort_timestamp;
            if (shown != AV_NOPTS_VALUE && shown >= first && shown < last) {
                if (firstShown == AV_NOPTS_VALUE)
                    firstShown = shown;
                if (shaper) {
                    shaper->push(frame.get(), (shown - firstShown) * av_q2d(timeBase),
                                 av_q2d(av_inv_q(AVRational{rate.num, rate.den})));
                } else {
                    frame->pts = av_rescale_q(shown - firstShown, timeBase, pictures);
                    encode(frame.get());
                }
            }
            av_frame_unref(frame.get());
        }
    };

    seekToPart(context, input.videoIndex, origin, from, path);
    readPackets(
        context, path, [](const std::string&) {},
        [&](AVPacket* packet) {
            // A whole clip takes a while: a stop ends it, and the join with it.
            if (stopRequested())
                return false;
            if (packet->stream_index != input.videoIndex)
                return true;
            const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            // Without open GOPs, every picture shown before the keyframe is decoded before it.
            if ((packet->flags & AV_PKT_FLAG_KEY) && stamp != AV_NOPTS_VALUE && stamp >= last)
                return false;
            avcodec_send_packet(decoder.get(), packet);
            takeDecoded();
            return true;
        });
    avcodec_send_packet(decoder.get(), nullptr);
    takeDecoded();
    if (shaper)
        shaper->finish();
    avcodec_send_frame(encoder.get(), nullptr);
    takeEncoded();
}

} // namespace asapi
