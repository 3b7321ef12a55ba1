#pragma once

#include "CommandLine.h"
#include "ContainerRules.h"
#include "InputProbe.h"

#include <optional>
#include <string>

namespace asapi {

// Everything the output will be, decided from the options and the first input.
struct OutputPlan
{
    Container container = Container::Avi;
    std::string muxer;

    std::string videoCodec;
    int width = 0;
    int height = 0;
    Ratio frameRate;
    double pixelAspect = 1.0;
    long videoBitrate = 0; // 0: constant quality
    int quantiser = 0;     // the constant quality, where there is no bitrate
    int keyframeInterval = 250;
    int macroblockDecision = 0;
    // A picture repeated to keep the frame rate is written once and its repeats left to the
    // container's timing, as MEncoder's -ofps does with its skipped frames.
    bool skipRepeatedPictures = false;
    int encoderThreads = 0; // 0: the encoder's own choice
    int decoderThreads = 0;

    std::string audioCodec; // FFmpeg encoder name
    int sampleRate = 44100;
    int channels = 2;
    long audioBitrate = 0; // 0: the codec's own choice (PCM, MP3 at variable bitrate)
    Mp3Mode mp3Mode = Mp3Mode::Variable;
    int mp3Quality = 0;

    double expectedDuration = 0.0; // sum of the inputs' lengths, for the status line
};

// MEncoder's scale rules: a positive number as it stands, 0 the display size, -1 the stored size,
// -2 from the other side and the display aspect, -3 from the other side and the stored aspect,
// -(n+8) like -n rounded to a multiple of 16. The result is rounded up to even numbers.
struct PictureSize
{
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
};
PictureSize scaledSize(std::optional<int> width, std::optional<int> height,
                       const InputFacts& input);

// Throws a usage EncoderError when the container or the codecs cannot take what is asked.
// warn, when given, hears of a frame rate the video encoder cannot write, and the one taken.
OutputPlan planOutput(const CommandLineOptions& options, const std::vector<InputFacts>& inputs,
                      const Warn& warn = {});

// The FFmpeg encoder name the audio options select.
std::string audioCodecName(const CommandLineOptions& options);

} // namespace asapi
