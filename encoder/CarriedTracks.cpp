#include "CarriedTracks.h"

#include "SubtitleConverter.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <cstring>
#include <string_view>

namespace asapi {
namespace {

// What a stream must share with a track's to go in it besides its type.
std::uint32_t kindOf(const AVStream* stream)
{
    switch (stream->codecpar->codec_type) {
    case AVMEDIA_TYPE_SUBTITLE:
        return stream->codecpar->codec_id;
    case AVMEDIA_TYPE_DATA:
        return stream->codecpar->codec_tag;
    default:
        return 0;
    }
}

bool carried(const AVStream* stream)
{
    const AVMediaType type = stream->codecpar->codec_type;
    // A timecode track is written anew from the first input's timecode (see the join).
    if (type == AVMEDIA_TYPE_DATA)
        return stream->codecpar->codec_tag != MKTAG('t', 'm', 'c', 'd');
    return type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_SUBTITLE;
}

int typeOrder(AVMediaType type)
{
    return type == AVMEDIA_TYPE_AUDIO ? 0 : type == AVMEDIA_TYPE_SUBTITLE ? 1 : 2;
}

std::string typeName(AVMediaType type)
{
    return type == AVMEDIA_TYPE_SUBTITLE ? "subtitle"
           : type == AVMEDIA_TYPE_DATA   ? "data"
                                         : "sound";
}

// A data track is known by its tag (gpmd); any other by its codec.
std::string kindName(const AVStream* stream)
{
    if (stream->codecpar->codec_type == AVMEDIA_TYPE_DATA) {
        char tag[AV_FOURCC_MAX_STRING_SIZE] = {};
        return av_fourcc_make_string(tag, stream->codecpar->codec_tag);
    }
    return avcodec_get_name(stream->codecpar->codec_id);
}

} // namespace

std::string streamLanguage(const AVStream* stream, const AVInputFormat* format)
{
    const AVDictionaryEntry* language = av_dict_get(stream->metadata, "language", nullptr, 0);
    // AVI keeps no language: a join names its sound tracks after theirs (see OutputWriter).
    if (!language && format && std::string_view(format->name) == "avi") {
        const AVDictionaryEntry* name = av_dict_get(stream->metadata, "title", nullptr, 0);
        if (name && std::strlen(name->value) == 3 &&
            std::all_of(name->value, name->value + 3, [](char c) { return c >= 'a' && c <= 'z'; }))
            language = name;
    }
    if (!language || !*language->value || std::string(language->value) == "und")
        return {};
    return language->value;
}

std::vector<TrackSource> trackSources(const AVFormatContext* input, int primarySound)
{
    std::vector<TrackSource> sources;
    const auto add = [&](int index) {
        const AVStream* stream = input->streams[index];
        sources.push_back(TrackSource{index, stream->codecpar->codec_type, kindOf(stream),
                                      streamLanguage(stream, input->iformat)});
    };
    // The sound the file marks to be played leads; where it marks none, the file's order holds
    // (FFmpeg's choice between unmarked tracks, by their bit rate, is no order of the file's).
    const int leading =
        primarySound >= 0 && (input->streams[primarySound]->disposition & AV_DISPOSITION_DEFAULT)
            ? primarySound
            : -1;
    if (leading >= 0)
        add(leading);
    for (int index = 0; index < static_cast<int>(input->nb_streams); ++index)
        if (index != leading && carried(input->streams[index]))
            add(index);
    std::stable_sort(sources.begin(), sources.end(), [](const auto& a, const auto& b) {
        return typeOrder(a.type) < typeOrder(b.type);
    });
    return sources;
}

std::vector<CarriedTrack> carriedTracks(const std::vector<std::vector<TrackSource>>& inputs)
{
    std::vector<CarriedTrack> tracks;
    std::vector<TrackSource> firsts; // the source that opened each track
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        std::vector<bool> filled(tracks.size());
        for (const TrackSource& source : inputs[i]) {
            const auto fits = [&](std::size_t t, bool sameLanguage) {
                const TrackSource& first = firsts[t];
                if (filled[t] || first.type != source.type || first.kind != source.kind)
                    return false;
                return sameLanguage ? !source.language.empty() && first.language == source.language
                                    : source.language.empty() || first.language.empty() ||
                                          first.language == source.language;
            };
            std::size_t t = 0;
            while (t < tracks.size() && !fits(t, true))
                ++t;
            if (t == tracks.size()) {
                t = 0;
                while (t < tracks.size() && !fits(t, false))
                    ++t;
            }
            if (t == tracks.size()) {
                tracks.push_back(CarriedTrack{source.type, std::vector<int>(inputs.size(), -1), i,
                                              source.language});
                firsts.push_back(source);
                filled.push_back(false);
            }
            tracks[t].streams[i] = source.index;
            filled[t] = true;
        }
    }
    // A track that only a later input brings goes after the first input's of its type.
    std::stable_sort(tracks.begin(), tracks.end(), [](const auto& a, const auto& b) {
        return typeOrder(a.type) < typeOrder(b.type);
    });
    return tracks;
}

std::vector<CarriedTrack> encodedSoundTracks(const std::vector<InputFacts>& inputs,
                                             Container container)
{
    std::vector<std::vector<TrackSource>> sources;
    for (const InputFacts& input : inputs) {
        sources.emplace_back();
        for (const TrackSource& source : input.tracks)
            if (source.type == AVMEDIA_TYPE_AUDIO)
                sources.back().push_back(source);
    }
    std::vector<CarriedTrack> tracks = carriedTracks(sources);
    if (tracks.empty())
        tracks.push_back(
            CarriedTrack{AVMEDIA_TYPE_AUDIO, std::vector<int>(inputs.size(), -1), 0, {}});
    if (container->oneSoundTrack)
        tracks.resize(1);
    return tracks;
}

vantomel::TrackLine describeTrack(const CarriedTrack& track,
                                  const std::vector<const AVFormatContext*>& inputs)
{
    const AVStream* stream = track.streamOf(inputs[track.reference], track.reference);
    std::string codec = stream ? kindName(stream) : "";
    if (track.convertTo != AV_CODEC_ID_NONE)
        codec = avcodec_get_name(track.convertTo);
    return vantomel::TrackLine{0, typeName(track.type), codec, track.language, {}};
}

std::vector<CarriedTrack> dropUnkept(std::vector<CarriedTrack>& tracks,
                                     const std::vector<const AVFormatContext*>& inputs,
                                     Container container)
{
    std::vector<CarriedTrack> dropped;
    std::erase_if(tracks, [&](CarriedTrack& track) {
        if (track.type == AVMEDIA_TYPE_AUDIO)
            return false;
        const std::string kind = describeTrack(track, inputs).codec;
        const auto& kept = track.type == AVMEDIA_TYPE_SUBTITLE ? container->copiedSubtitles
                                                               : container->copiedData;
        if (std::find(kept.begin(), kept.end(), kind) != kept.end())
            return false;
        const AVStream* stream = track.streamOf(inputs[track.reference], track.reference);
        const AVCodecID text = track.type == AVMEDIA_TYPE_SUBTITLE
                                   ? textSubtitleCodecFor(stream->codecpar->codec_id, kept)
                                   : AV_CODEC_ID_NONE;
        if (text != AV_CODEC_ID_NONE && SubtitleConverter::open(stream, text)) {
            track.convertTo = text;
            return false;
        }
        dropped.push_back(track);
        return true;
    });
    return dropped;
}

std::string trackName(const vantomel::TrackLine& track)
{
    return track.type + " track " + track.codec +
           (track.language.empty() ? "" : " (" + track.language + ")");
}

std::string droppedSentence(const vantomel::TrackLine& track, Container container)
{
    return "The " + trackName(track) + " cannot be kept in an " + containerName(container) +
           " file and is dropped.";
}

} // namespace asapi
