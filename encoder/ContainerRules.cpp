#include "ContainerRules.h"

#include "Codecs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace asapi {
namespace {

bool listed(vantomel::CodecNames names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool takesVideo(Container container, const std::string& codec)
{
    return container->takesEveryEncoder ? videoCodecNames().count(codec) > 0
                                        : listed(container->videoEncoders, codec);
}

bool takesAudio(Container container, const std::string& codec)
{
    if (container->takesEveryEncoder)
        return lavcAudioCodecNames().count(codec) || codec == mp3CodecName || codec == pcmCodecName;
    return listed(container->audioEncoders, codec);
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string audioName(const std::string& codec)
{
    if (codec == "libmp3lame")
        return "MP3";
    if (codec == "pcm_s16le")
        return "PCM";
    if (codec == "wmav2")
        return "WMA";
    return codec == "aac" ? "AAC" : codec == "ac3" ? "AC-3" : codec == "mp2" ? "MP2" : codec;
}

} // namespace

Container fallbackContainer()
{
    return &vantomel::outputContainers().front();
}

Container containerFor(const std::string& outputPath, const std::string& outputFormat)
{
    const std::string format = lowerCase(outputFormat);
    if (!format.empty() && format != "lavf") {
        const Container named = vantomel::containerWithExtension(format);
        if (!named)
            throw EncoderError::usage("Output format " + outputFormat + " is not supported.");
        return named;
    }
    std::string extension = std::filesystem::path(outputPath).extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    const Container found = vantomel::containerWithExtension(extension);
    return found ? found : fallbackContainer();
}

std::string containerName(Container container)
{
    return std::string(container->name);
}

std::string muxerName(Container container, const std::string& videoCodec,
                      const std::string& audioCodec)
{
    const bool mpeg2 = videoCodec == "mpeg2video" || audioCodec == "ac3";
    return std::string(mpeg2 && !container->mpeg2Muxer.empty() ? container->mpeg2Muxer
                                                               : container->muxer);
}

void checkCodecs(Container container, const std::string& videoCodec, const std::string& audioCodec)
{
    const std::string name = containerName(container);
    if (!takesVideo(container, videoCodec))
        throw EncoderError::usage("The " + name + " container cannot hold " + videoCodec +
                                  " video.");
    if (!takesAudio(container, audioCodec))
        throw EncoderError::usage("The " + name + " container cannot hold " +
                                  audioName(audioCodec) + " audio.");
}

namespace {

// What a container takes as it comes from a copy, and players find there.
bool holds(Container container, const CopiedStreams& streams)
{
    return listed(container->copiedVideo, streams.videoCodec) &&
           (!streams.audioCopied || streams.audioCodec.empty() ||
            listed(container->copiedAudio, streams.audioCodec)) &&
           (streams.rotation == 0 || container->keepsRotation);
}

} // namespace

std::string copyAlternative(Container container, const CopiedStreams& streams)
{
    for (const vantomel::OutputContainer& other : vantomel::outputContainers())
        if (&other != container && !other.copyProfile.empty() && holds(&other, streams))
            return "join with \"" + std::string(other.copyProfile) + "\" or a re-encoding profile.";
    return "join with a re-encoding profile.";
}

void checkCopiedCodecs(Container container, const std::string& videoCodec,
                       const std::string& audioCodec, bool audioCopied)
{
    const CopiedStreams streams{videoCodec, audioCodec, audioCopied};
    const std::string name = containerName(container);
    const auto refuse = [&](const std::string& what) {
        throw EncoderError::cannotCopy("The " + name + " container cannot hold " + what + "; " +
                                       copyAlternative(container, streams));
    };
    if (!listed(container->copiedVideo, streams.videoCodec))
        refuse("copied " + streams.videoCodec + " video");
    if (streams.audioCodec.empty())
        return;
    if (streams.audioCopied && !listed(container->copiedAudio, streams.audioCodec))
        refuse("copied " + streams.audioCodec + " audio");
    if (!streams.audioCopied && !takesAudio(container, streams.audioCodec))
        throw EncoderError::usage("The " + name + " container cannot hold " +
                                  audioName(streams.audioCodec) + " audio.");
}

bool holdsCopiedSound(Container container, const std::string& codec)
{
    return listed(container->copiedAudio, codec);
}

std::vector<int> containerSampleRates(Container container, const std::string& audioCodec)
{
    for (const vantomel::SampleRateLimit& limit : container->sampleRates)
        if (limit.audioEncoder == audioCodec)
            return {limit.rates.begin(), limit.rates.end()};
    return {};
}

} // namespace asapi
