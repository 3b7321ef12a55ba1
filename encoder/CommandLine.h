#pragma once

#include "EncoderError.h"
#include "Ratio.h"

#include <optional>
#include <string>
#include <vector>

namespace asapi {

enum class AudioEncoder
{
    Mp3Lame,
    Pcm,
    Lavc,
    Copy // the inputs' sound packets as they are; only beside -ovc copy
};

enum class Mp3Mode
{
    Variable,
    Average,
    Constant
};

// One filter of -vf, its numbers as given (MEncoder's 0, -1, -2, -3 included).
struct VideoFilter
{
    enum class Kind
    {
        Scale,  // scale=w:h
        Dsize,  // dsize=w:h:aspect-method:r or dsize=aspect: the display size, no scaling
        Expand, // expand=w:h:x:y:osd:aspect:round: black borders, no scaling
    };
    Kind kind = Kind::Scale;
    std::optional<int> width;
    std::optional<int> height;
    int aspectMethod = -1;        // dsize: -1 ignores the shape; 0 to 3 keep it
    std::optional<double> aspect; // dsize=16/9 and expand's sixth value
    int x = -1;                   // expand: where the picture goes, -1 centred
    int y = -1;
    int round = 1; // dsize and expand: sides rounded up to a multiple of it
};

// One input and the options given for it alone, in braces after its name:
// { a.mp4 -ss 5 -endpos 20 }. A bare name is an input without options of its own. A copy
// (-ovc copy) moves a part's points to keyframes, but may keep an x264 clip's in point
// (cutPartAtKeyframes).
struct InputOptions
{
    std::string path;
    // -ss: where its part begins, in seconds from its first picture
    std::optional<double> start;
    std::optional<double> length; // -endpos: seconds of the file from there on, above 0
};

// What the command line asks for, before any input has been looked at.
struct CommandLineOptions
{
    std::vector<InputOptions> inputs;
    std::string output;
    std::string outputFormat; // -of, empty when not given
    // -checkonly: the command line is checked and nothing else done; no output is made, and no
    // input is looked at but with -ovc copy, whose inputs' headers tell whether they can be
    // copied into one file. Not MEncoder's: the program asks with it before a job begins.
    bool checkOnly = false;
    // -ovc copy: the inputs' picture packets are joined as they are, nothing decoded; the sound
    // is copied too (-oac copy) or encoded once over the whole join.
    bool copyVideo = false;
    // -inbandsets (kInBandSetsOption): a copy may cut a clip exactly by encoding the pictures at a
    // cut with parameter sets of their own, which then come in band (avc3). Not MEncoder's: some
    // players refuse such files, so the user chooses it.
    bool inBandSets = false;

    // -lavcopts, merged over all occurrences
    std::string videoCodec = "mpeg4";
    std::optional<long> videoBitrate;  // bit/s; without it a constant quality is used
    std::optional<int> videoQuantiser; // vqscale: the constant quality, but for libx264
    int macroblockDecision = 0;        // mbd
    std::optional<int> keyframeInterval;
    bool autoAspect = false;
    std::optional<double> aspect; // display aspect ratio
    std::string audioCodec = "mp2";
    std::optional<long> audioBitrate; // bit/s; MEncoder's 224 kbit/s where the codec takes it
    // threads=N of -lavcopts and of -lavdopts: the threads of the encoder and of each decoder,
    // so that several runs at once need not crowd each other; without them the encoder decides
    std::optional<int> encoderThreads;
    std::optional<int> decoderThreads;

    AudioEncoder audioEncoder = AudioEncoder::Mp3Lame;

    // -lameopts; the default is variable bitrate at the best quality
    Mp3Mode mp3Mode = Mp3Mode::Variable;
    int mp3Quality = 0;
    int mp3Bitrate = 128; // kbit/s

    std::optional<Ratio> frameRate; // -ofps
    // -vf, in the order they apply; -vf-pre puts its filters in front of those given so far
    std::vector<VideoFilter> videoFilters;
    std::optional<int> sampleRate; // -srate
    int channels = 2;
};

// Options may stand before, between or after the inputs; all of them apply to the whole run but
// -ss and -endpos, which stand in an input's braces. Everything after "--" is an input, braces
// included. Throws a usage EncoderError.
CommandLineOptions parseCommandLine(const std::vector<std::string>& arguments);

std::vector<std::string> inputPaths(const CommandLineOptions& options);

// "75", "75.5", "1:15", "00:01:15.500" in seconds, as -ss and -endpos take them; nothing for
// any other text.
std::optional<double> parsePosition(const std::string& text);

// "30", "30000/1001", "29.97", "16:9" as a ratio; nothing when the text is no positive number
// or one too small to be kept.
std::optional<Ratio> parseRatio(const std::string& text);

} // namespace asapi
