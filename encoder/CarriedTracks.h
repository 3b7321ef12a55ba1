#pragma once

#include "ContainerRules.h"
#include "EncoderContract.h"
#include "InputProbe.h"

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
    std::string language;      // its first stream's
    // Text subtitles that the output's container keeps only in another text codec.
    AVCodecID convertTo = AV_CODEC_ID_NONE;

    const AVStream* streamOf(const AVFormatContext* input, std::size_t index) const
    {
        return streams[index] >= 0 ? input->streams[streams[index]] : nullptr;
    }
};

// The streams of an input that a join may carry (InputFacts::tracks): primarySound first where
// the file marks it to be played, then the other sound, subtitle and data streams in the file's
// order. A timecode track is not one: the join writes its own from the first input's timecode.
std::vector<TrackSource> trackSources(const AVFormatContext* input, int primarySound);

// Every track of the inputs' sources, in the order of the first input's, then those only later
// inputs bring. A source goes to the first track of its type and kind that its input has not
// filled yet and whose language is its own; a source or track that states no language goes with
// any. Sound comes first, each input's primary sound in the first track where it can; then
// subtitles, then data.
std::vector<CarriedTrack> carriedTracks(const std::vector<std::vector<TrackSource>>& inputs);

// The sound tracks of a join that encodes its sound: every input's, matched as carriedTracks
// does; only the first where the container holds one; one of silence where no input has sound.
std::vector<CarriedTrack> encodedSoundTracks(const std::vector<InputFacts>& inputs,
                                             Container container);

// What a track holds, as the check tells the program (its number left 0): its reference stream's
// codec and the track's language.
vantomel::TrackLine describeTrack(const CarriedTrack& track,
                                  const std::vector<const AVFormatContext*>& inputs);

// Takes the subtitle and data tracks that the container cannot keep out of tracks: those dropped.
// Text subtitles it keeps in another text codec stay, to be converted (convertTo).
std::vector<CarriedTrack> dropUnkept(std::vector<CarriedTrack>& tracks,
                                     const std::vector<const AVFormatContext*>& inputs,
                                     Container container);

// How messages name a track: "subtitle track hdmv_pgs_subtitle (eng)".
std::string trackName(const vantomel::TrackLine& track);

// Why a track is dropped: "The subtitle track hdmv_pgs_subtitle (eng) cannot be kept in an MP4
// file and is dropped."
std::string droppedSentence(const vantomel::TrackLine& track, Container container);

// The language a stream of a file in that format states; empty for none or "und".
std::string streamLanguage(const AVStream* stream, const AVInputFormat* format);

} // namespace asapi
