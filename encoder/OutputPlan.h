#pragma once

#include "CommandLine.h"
#include "ContainerRules.h"
#include "InputProbe.h"
#include "PictureLayout.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace asapi {

// Options by name, as FFmpeg's encoders and muxers take them.
using NamedOptions = std::vector<std::pair<std::string, std::string>>;

// Everything the output will be and how its encoders and muxer are driven, decided from the
// options and the inputs; the writer sets what this says and decides nothing.
struct OutputPlan
{
    Container container = fallbackContainer();
    std::string muxer;
    NamedOptions muxerOptions;
    // The AC-3 frames that a new audio packet cuts get their times cleared once the file is done.
    bool mendCutAudioFrames = false;

    std::string videoCodec;
    int width = 0;
    int height = 0;
    std::vector<PictureLayout> pictureLayouts; // one per input, each of width x height
    Ratio frameRate;
    double pixelAspect = 1.0;
    long videoBitrate = 0;   // 0: constant quality
    long videoMaxRate = 0;   // bit/s with videoBufferSize, the players' limit; 0: none
    int videoBufferSize = 0; // bits
    int quantiser = 0;       // the constant quality each picture carries; 0: none
    int keyframeInterval = 250;
    int bFrames = 0;
    // A picture repeated to keep the frame rate is written once and its repeats left to the
    // container's timing, as MEncoder's -ofps does with its skipped frames.
    bool skipRepeatedPictures = false;
    NamedOptions videoCodecOptions; // the encoder's own
    int encoderThreads = 0;         // 0: the encoder's own choice
    bool sliceThreads = false;      // the encoder's threads share each picture
    int decoderThreads = 0;

    std::string audioCodec; // FFmpeg encoder name
    int sampleRate = 44100;
    int channels = 2;
    long audioBitrate = 0;           // 0: the codec's own choice (PCM, MP3 at variable bitrate)
    std::optional<int> audioQuality; // a constant quality in place of a bitrate, 0 the best
    NamedOptions audioCodecOptions;  // the encoder's own
    // One for each sound track, each encoded alike: its language, empty for none.
    std::vector<std::string> soundTrackLanguages{std::string()};

    double expectedDuration = 0.0; // sum of the parts' lengths, for the status line
    // The file's title tag. A conversion (one input into AVI) keeps its input's chapter name
    // there, so that a join of intermediates still names its chapters after the clips.
    std::string title;
    std::vector<std::string> chapterTitles; // one for each input
};

// Throws a usage EncoderError when the container or the codecs cannot take what is asked.
// warn, when given, hears of a frame rate the video encoder cannot write, and the one taken.
OutputPlan planOutput(const CommandLineOptions& options, const std::vector<InputFacts>& inputs,
                      const Warn& warn = {});

// The sound's part of planOutput, for a plan whose container is set: the codec, its rate and
// channels and how its encoder is driven. Throws a usage EncoderError like planOutput.
void planAudio(const CommandLineOptions& options, const std::vector<InputFacts>& inputs,
               OutputPlan& plan);

// The FFmpeg encoder name the audio options select.
std::string audioCodecName(const CommandLineOptions& options);

} // namespace asapi
