#pragma once

#include "ContainerRules.h"
#include "EncoderContract.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <cstddef>
#include <string>
#include <vector>

namespace asapi {

// A track of a join besides its picture, and the stream of each input that fills it.
struct CarriedTrack
{
    AVMediaType type = AVMEDIA_TYPE_AUDIO;
    std::vector<int> streams;  // one per input; -1 where the input has none
    std::size_t reference = 0; // the first input that has it: the track takes its stream's kind

    const AVStream* streamOf(const AVFormatContext* input, std::size_t index) const
    {
        return streams[index] >= 0 ? input->streams[streams[index]] : nullptr;
    }
};

// Every sound, subtitle and data track of the inputs, in the order of the first input's, then
// those only later inputs bring. A stream goes to the first track of its type and kind (a
// subtitle's codec, a data track's tag) that its input has not filled yet and whose language is
// its own; a stream or track that states no language goes with any. Sound comes first, the
// primary sound (each input's own choice, primarySound) leading; then subtitles, then data.
std::vector<CarriedTrack> carriedTracks(const std::vector<const AVFormatContext*>& inputs,
                                        const std::vector<int>& primarySound);

// What a track holds, as the check tells the program (its number left 0): its reference stream's
// codec and language.
vantomel::TrackLine describeTrack(const CarriedTrack& track,
                                  const std::vector<const AVFormatContext*>& inputs);

// Takes the subtitle and data tracks that the container cannot keep out of tracks: those dropped.
std::vector<CarriedTrack> dropUnkept(std::vector<CarriedTrack>& tracks,
                                     const std::vector<const AVFormatContext*>& inputs,
                                     Container container);

// Why a track is dropped: "The subtitle track hdmv_pgs_subtitle (eng) cannot be kept in an MP4
// file and is dropped."
std::string droppedSentence(const vantomel::TrackLine& track, Container container);

// The language a stream states; empty for none or "und".
std::string streamLanguage(const AVStream* stream);

} // namespace asapi
