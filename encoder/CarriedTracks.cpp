#include "CarriedTracks.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>

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

std::string streamLanguage(const AVStream* stream)
{
    const AVDictionaryEntry* language = av_dict_get(stream->metadata, "language", nullptr, 0);
    if (!language || !*language->value || std::string(language->value) == "und")
        return {};
    return language->value;
}

std::vector<CarriedTrack> carriedTracks(const std::vector<const AVFormatContext*>& inputs,
                                        const std::vector<int>& primarySound)
{
    std::vector<CarriedTrack> tracks;
    std::vector<std::string> languages; // of each track
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const AVFormatContext* input = inputs[i];
        std::vector<int> order;
        if (primarySound[i] >= 0)
            order.push_back(primarySound[i]);
        for (int s = 0; s < static_cast<int>(input->nb_streams); ++s)
            if (s != primarySound[i] && carried(input->streams[s]))
                order.push_back(s);
        std::stable_sort(order.begin(), order.end(), [input](int a, int b) {
            return typeOrder(input->streams[a]->codecpar->codec_type) <
                   typeOrder(input->streams[b]->codecpar->codec_type);
        });
        std::vector<bool> filled(tracks.size());
        for (const int s : order) {
            const AVStream* stream = input->streams[s];
            const std::string language = streamLanguage(stream);
            const auto fits = [&](std::size_t t, bool sameLanguage) {
                const CarriedTrack& track = tracks[t];
                if (filled[t] || track.type != stream->codecpar->codec_type ||
                    kindOf(inputs[track.reference]->streams[track.streams[track.reference]]) !=
                        kindOf(stream))
                    return false;
                return sameLanguage
                           ? !language.empty() && languages[t] == language
                           : language.empty() || languages[t].empty() || languages[t] == language;
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
                tracks.push_back(CarriedTrack{stream->codecpar->codec_type,
                                              std::vector<int>(inputs.size(), -1), i});
                languages.push_back(language);
                filled.push_back(false);
            }
            tracks[t].streams[i] = s;
            filled[t] = true;
        }
    }
    // A track that only a later input brings goes after the first input's of its type.
    std::stable_sort(tracks.begin(), tracks.end(), [](const auto& a, const auto& b) {
        return typeOrder(a.type) < typeOrder(b.type);
    });
    return tracks;
}

vantomel::TrackLine describeTrack(const CarriedTrack& track,
                                  const std::vector<const AVFormatContext*>& inputs)
{
    const AVStream* stream = track.streamOf(inputs[track.reference], track.reference);
    return vantomel::TrackLine{0, typeName(track.type), stream ? kindName(stream) : "",
                               stream ? streamLanguage(stream) : ""};
}

std::vector<CarriedTrack> dropUnkept(std::vector<CarriedTrack>& tracks,
                                     const std::vector<const AVFormatContext*>& inputs,
                                     Container container)
{
    std::vector<CarriedTrack> dropped;
    std::erase_if(tracks, [&](const CarriedTrack& track) {
        if (track.type == AVMEDIA_TYPE_AUDIO)
            return false;
        const std::string kind = describeTrack(track, inputs).codec;
        const auto& kept = track.type == AVMEDIA_TYPE_SUBTITLE ? container->copiedSubtitles
                                                               : container->copiedData;
        if (std::find(kept.begin(), kept.end(), kind) != kept.end())
            return false;
        dropped.push_back(track);
        return true;
    });
    return dropped;
}

std::string droppedSentence(const vantomel::TrackLine& track, Container container)
{
    return "The " + track.type + " track " + track.codec +
           (track.language.empty() ? "" : " (" + track.language + ")") + " cannot be kept in an " +
           containerName(container) + " file and is dropped.";
}

} // namespace asapi
