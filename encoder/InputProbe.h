#pragma once

#include "FfmpegPointers.h"
#include "FileIo.h"
#include "InputPart.h"
#include "Ratio.h"

#include <cstdint>
#include <memory>
#include <optional>

#include <string>
#include <vector>

namespace asapi {

// A stream of an input that a join may carry besides its picture, as tracks are matched: its
// type, what must be alike besides it (a subtitle's codec, a data track's tag; 0 for sound) and
// its language (empty for none).
struct TrackSource
{
    int index = -1;
    AVMediaType type = AVMEDIA_TYPE_AUDIO;
    std::uint32_t kind = 0;
    std::string language;
};

// What the encoder needs to know of an input before it writes anything.
struct InputFacts
{
    std::string path;
    int width = 0; // upright, after the rotation is applied
    int height = 0;
    int rotation = 0;         // clockwise degrees to turn the picture: 0, 90, 180, 270
    double pixelAspect = 1.0; // of the upright picture
    Ratio frameRate{25, 1};   // the average rate, or a sane guess
    bool hasAudio = false;
    int sampleRate = 0;
    double duration = 0.0; // seconds, 0 when unknown
    // Its sound's start minus its picture's start, in seconds; nothing without sound.
    std::optional<double> soundOffset;
    // Its sound, subtitle and data streams that a join may carry (trackSources).
    std::vector<TrackSource> tracks;
    // What a join's chapter at this input's start is called: its title tag when it has one,
    // else its file name without folder and extension.
    std::string chapterName;
    // What the run takes of it: set from the command line, not probed.
    InputPart part;
};

// An input opened for reading: its best video stream, and the audio stream that goes with it
// (-1 when there is none).
struct OpenedInput
{
    std::unique_ptr<InputFile> file; // outlives the context that reads it
    InputContextPtr context;
    int videoIndex = -1;
    int audioIndex = -1;
};

// Both throw the unreadable-input EncoderError, naming the clip, when the file cannot be opened
// ("Cannot open <clip>: <reason>."), read or has no video that can be decoded ("<clip> cannot
// be read as a video."), or holds sound only ("<clip> has no video."); the stop error when a
// stop cut the open short.
OpenedInput openInput(const std::string& path);
// Opened only as far as the container's header, in the format given or the one it seems to be:
// its packets can be read, its streams are not known or chosen. Throws as openInput does.
OpenedInput openContainer(const std::string& path, const AVInputFormat* format);
InputFacts probeInput(const std::string& path);
// The container reads only the streams given (-1: none), skipping the others' packets.
void readOnlyStreams(AVFormatContext* context, int stream, int otherStream = -1);
void readOnlyStreams(AVFormatContext* context, const std::vector<int>& streams);
// The facts of an input already opened.
InputFacts inputFacts(const OpenedInput& input, const std::string& path);

// The clockwise turn a display matrix asks for, in quarter turns of 0 to 270 degrees.
int rotationFromDisplayMatrix(const int32_t* matrix);

// Where an input's picture begins, in its stream's time base: its sound is measured from there
// too.
std::int64_t pictureOrigin(const AVFormatContext* context, const AVStream* video);

// Reading starts at a keyframe before a part that starts more than a second into its input:
// the keyframe is found by its decoding time, which may come before the time it is shown. A clock
// that may start again cannot be sought by time: such an input is read from its beginning.
// Throws EncoderError when a failed seek leaves the reading at no known place.
void seekToPart(AVFormatContext* context, int videoIndex, std::int64_t origin, double partStart,
                const std::string& path);

} // namespace asapi
