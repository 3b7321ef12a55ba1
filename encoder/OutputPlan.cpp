#include "OutputPlan.h"

#include "Codecs.h"
#include "FfmpegPointers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <thread>

namespace asapi {
namespace {

// Without a bitrate the picture is kept at this quantiser: the intermediates of a join, which are
// encoded once more.
constexpr int defaultQuantiser = 3;
// libx264 without a bitrate: its constant rate factor, at a preset that keeps a join quick.
constexpr const char* x264RateFactor = "18";
constexpr const char* x264Preset = "fast";
// DVD players read VOB files with a 224 KiB buffer at up to 9.8 Mbit/s; MPEG-2 video at a
// bitrate up to dvdVideoBitrate is held to that.
constexpr long dvdVideoBitrate = 8000000;
constexpr long dvdMaxRate = 9000000;
constexpr int dvdBufferSize = 1835008;
// Program streams size their buffers from the bitrate, which a constant quality leaves open:
// take the DVD's rate, which any of our MPEG video fits.
constexpr const char* programStreamMuxRate = "10080000";

// MPEG-1 and MPEG-2 video know eight frame rates; their encoders refuse any other.
const AVRational* supportedFrameRates(const AVCodec* codec)
{
    static const AVRational mpegRates[] = {{24000, 1001}, {24, 1}, {25, 1},
                                           {30000, 1001}, {30, 1}, {50, 1},
                                           {60000, 1001}, {60, 1}, {0, 0}};
    if (codec->id == AV_CODEC_ID_MPEG1VIDEO || codec->id == AV_CODEC_ID_MPEG2VIDEO)
        return mpegRates;
    return codec->supported_framerates;
}

std::string framesPerSecond(AVRational rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f fps", av_q2d(rate));
    return text;
}

Ratio nearestSupportedRate(const AVCodec* codec, Ratio wanted, const Warn& warn)
{
    // Encoders take time bases of at most 16 bits (MPEG-4's limit); 999.999 becomes nearly it.
    AVRational target{};
    av_reduce(&target.num, &target.den, wanted.num, wanted.den, 65535);
    const AVRational* rates = supportedFrameRates(codec);
    if (!rates)
        return Ratio{target.num, target.den};
    const AVRational chosen = rates[av_find_nearest_q_idx(target, rates)];
    if (av_cmp_q(chosen, target) != 0 && warn)
        warn("The " + std::string(codec->name) + " encoder cannot write " +
             framesPerSecond(target) + "; using " + framesPerSecond(chosen) + ".");
    return Ratio{chosen.num, chosen.den};
}

std::vector<int> encoderSampleRates(const AVCodec* codec)
{
    std::vector<int> rates;
    for (const int* rate = codec->supported_samplerates; rate && *rate; ++rate)
        rates.push_back(*rate);
    return rates;
}

int chooseSampleRate(const CommandLineOptions& options, const std::vector<InputFacts>& inputs,
                     const AVCodec* codec, Container container, const std::string& audioCodec)
{
    std::vector<int> allowed = encoderSampleRates(codec);
    const auto containerRates = containerSampleRates(container, audioCodec);
    if (!containerRates.empty()) {
        if (allowed.empty())
            allowed = containerRates;
        else
            std::erase_if(allowed, [&](int rate) {
                return std::find(containerRates.begin(), containerRates.end(), rate) ==
                       containerRates.end();
            });
    }
    if (options.sampleRate) {
        if (!allowed.empty() &&
            std::find(allowed.begin(), allowed.end(), *options.sampleRate) == allowed.end())
            throw EncoderError::usage(
                (containerRates.empty() ? "The " + audioCodec + " encoder"
                                        : "The " + containerName(container) + " container") +
                " cannot take audio at " + std::to_string(*options.sampleRate) + " Hz.");
        return *options.sampleRate;
    }
    int wanted = 44100;
    for (const auto& input : inputs)
        if (input.hasAudio && input.sampleRate > 0) {
            wanted = input.sampleRate;
            break;
        }
    if (allowed.empty())
        return wanted;
    return *std::min_element(allowed.begin(), allowed.end(), [wanted](int a, int b) {
        return std::abs(a - wanted) < std::abs(b - wanted);
    });
}

void checkChannels(const AVCodec* codec, int channels)
{
    if (!codec->ch_layouts)
        return;
    for (const AVChannelLayout* layout = codec->ch_layouts; layout->nb_channels; ++layout)
        if (layout->nb_channels == channels)
            return;
    throw EncoderError::usage("The " + std::string(codec->name) + " encoder cannot take " +
                              std::to_string(channels) + " audio channels.");
}

// How the picture's encoder is driven: bitrate or constant quality, threads.
void planVideoEncoding(const CommandLineOptions& options, OutputPlan& plan)
{
    const bool x264 = plan.videoCodec == "libx264";
    plan.videoBitrate = options.videoBitrate.value_or(0);
    if (plan.videoBitrate > 0) {
        if (plan.videoCodec == "mpeg2video" && plan.videoBitrate <= dvdVideoBitrate) {
            plan.videoMaxRate = dvdMaxRate;
            plan.videoBufferSize = dvdBufferSize;
        }
    } else if (x264) {
        plan.videoCodecOptions.emplace_back("crf", x264RateFactor);
    } else {
        plan.quantiser = options.videoQuantiser.value_or(defaultQuantiser);
    }
    const bool mpegVideo = plan.videoCodec == "mpeg1video" || plan.videoCodec == "mpeg2video";
    // Short groups keep MPEG files seekable in DVD players.
    plan.keyframeInterval = options.keyframeInterval.value_or(mpegVideo ? 15 : 250);
    // Only AVI keeps its frame rate without them, where a frame left out is an empty chunk.
    // x264's reordered frames leave no such gaps.
    plan.skipRepeatedPictures = plan.container->emptyChunkRepeatsPicture && !x264;
    if (x264) {
        plan.videoCodecOptions.emplace_back("preset", x264Preset);
        plan.encoderThreads = options.encoderThreads.value_or(0);
    } else {
        plan.videoCodecOptions.emplace_back("mbd", std::to_string(options.macroblockDecision));
        // A core is left to the decoding thread, which decodes and scales: each slice costs
        // work of its own, and on two cores a single one is fastest.
        plan.encoderThreads = options.encoderThreads.value_or(
            static_cast<int>(std::max(2u, std::thread::hardware_concurrency()) - 1));
        plan.sliceThreads = true;
    }
    plan.decoderThreads = options.decoderThreads.value_or(0);
}

// How the sound's encoder is driven: bitrate or, for MP3, a constant quality.
void planAudioEncoding(const CommandLineOptions& options, OutputPlan& plan)
{
    if (plan.audioCodec == mp3CodecName) {
        if (options.mp3Mode == Mp3Mode::Variable) {
            plan.audioQuality = options.mp3Quality;
        } else {
            plan.audioBitrate = options.mp3Bitrate * 1000L;
            if (options.mp3Mode == Mp3Mode::Average)
                plan.audioCodecOptions.emplace_back("abr", "1");
        }
    } else if (plan.audioCodec != pcmCodecName) {
        // MP2 below 32000 Hz (MPEG-2's half rates) goes up to 160 kbit/s only.
        const long fallback = plan.audioCodec == "mp2" && plan.sampleRate < 32000 ? 160000 : 224000;
        plan.audioBitrate = options.audioBitrate.value_or(fallback);
    }
}

} // namespace

std::string audioCodecName(const CommandLineOptions& options)
{
    switch (options.audioEncoder) {
    case AudioEncoder::Mp3Lame:
        return mp3CodecName;
    case AudioEncoder::Pcm:
        return pcmCodecName;
    case AudioEncoder::Lavc:
        return options.audioCodec;
    case AudioEncoder::Copy:
        return "copy";
    }
    return mp3CodecName;
}

OutputPlan planOutput(const CommandLineOptions& options, const std::vector<InputFacts>& inputs,
                      const Warn& warn)
{
    const InputFacts& first = inputs.front();
    OutputPlan plan;
    plan.container = containerFor(options.output, options.outputFormat);
    plan.videoCodec = options.videoCodec;
    plan.audioCodec = audioCodecName(options);
    checkCodecs(plan.container, plan.videoCodec, plan.audioCodec);
    plan.muxer = muxerName(plan.container, plan.videoCodec, plan.audioCodec);
    if (plan.muxer == "mpeg" || plan.muxer == "vob")
        plan.muxerOptions.emplace_back("muxrate", programStreamMuxRate);
    plan.mendCutAudioFrames = plan.muxer == "vob" && plan.audioCodec == "ac3";

    const AVCodec* videoEncoder = avcodec_find_encoder_by_name(plan.videoCodec.c_str());
    if (!videoEncoder)
        throw EncoderError::usage("The " + plan.videoCodec +
                                  " encoder is missing from this FFmpeg.");

    // The first input's filtered size is the output's; the others are fitted to it.
    const PictureLayout firstLayout = layoutPicture(options.videoFilters, first);
    plan.width = firstLayout.width;
    plan.height = firstLayout.height;
    for (const auto& input : inputs)
        plan.pictureLayouts.push_back(
            stretchedTo(layoutPicture(options.videoFilters, input), plan.width, plan.height));
    plan.frameRate =
        nearestSupportedRate(videoEncoder, options.frameRate.value_or(first.frameRate), warn);
    if (options.aspect)
        plan.pixelAspect = *options.aspect * plan.height / plan.width;
    else if (options.autoAspect)
        plan.pixelAspect = firstLayout.displayAspect * plan.height / plan.width;
    planVideoEncoding(options, plan);

    planAudio(options, inputs, plan);
    for (const auto& input : inputs) {
        plan.expectedDuration += input.part.lengthOf(input.duration);
        plan.chapterTitles.push_back(input.chapterName);
    }
    if (inputs.size() == 1 && plan.container->titledAfterLoneInput)
        plan.title = first.chapterName;
    return plan;
}

void planAudio(const CommandLineOptions& options, const std::vector<InputFacts>& inputs,
               OutputPlan& plan)
{
    plan.audioCodec = audioCodecName(options);
    const AVCodec* audioEncoder = avcodec_find_encoder_by_name(plan.audioCodec.c_str());
    if (!audioEncoder)
        throw EncoderError::usage("The " + plan.audioCodec +
                                  " encoder is missing from this FFmpeg.");
    plan.sampleRate =
        chooseSampleRate(options, inputs, audioEncoder, plan.container, plan.audioCodec);
    plan.channels = options.channels;
    checkChannels(audioEncoder, plan.channels);
    planAudioEncoding(options, plan);
}

} // namespace asapi
