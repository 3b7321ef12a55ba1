#include "ContainerRules.h"

#include "Codecs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>

namespace asapi {
namespace {

struct ContainerRule
{
    Container container;
    std::string name;
    std::set<std::string> videoCodecs;
    std::set<std::string> audioCodecs;
};

std::set<std::string> everyAudioCodec()
{
    std::set<std::string> codecs = lavcAudioCodecNames();
    codecs.insert(mp3CodecName);
    codecs.insert(pcmCodecName);
    return codecs;
}

// What each container can hold, and what players expect to find in it.
const std::vector<ContainerRule>& rules()
{
    static const std::vector<ContainerRule> table{
        {Container::Avi, "AVI", videoCodecNames(), everyAudioCodec()},
        {Container::Mpeg, "MPEG", {"mpeg1video", "mpeg2video"}, {"mp2", "libmp3lame", "ac3"}},
        {Container::Vob, "VOB", {"mpeg1video", "mpeg2video"}, {"mp2", "libmp3lame", "ac3"}},
        {Container::Mp4,
         "MP4",
         {"mpeg4", "libx264", "mpeg1video", "mpeg2video"},
         {"aac", "libmp3lame", "mp2", "ac3"}},
        {Container::Mov,
         "MOV",
         {"mpeg4", "libx264", "mpeg1video", "mpeg2video"},
         {"aac", "libmp3lame", "mp2", "ac3", "pcm_s16le"}},
        {Container::Asf,
         "ASF",
         {"wmv1", "wmv2", "msmpeg4", "msmpeg4v2", "mpeg4"},
         {"wmav2", "libmp3lame", "pcm_s16le"}},
        {Container::Flv, "FLV", {"flv", "libx264"}, {"libmp3lame", "aac", "pcm_s16le"}},
        {Container::Mkv,
         "MKV",
         {"mpeg4", "libx264", "mpeg1video", "mpeg2video"},
         {"aac", "libmp3lame", "mp2", "ac3", "pcm_s16le"}},
    };
    return table;
}

const ContainerRule& ruleFor(Container container)
{
    return *std::find_if(rules().begin(), rules().end(),
                         [container](const auto& rule) { return rule.container == container; });
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

Container containerFor(const std::string& outputPath, const std::string& outputFormat)
{
    static const std::map<std::string, Container> byName{
        {"avi", Container::Avi}, {"mpg", Container::Mpeg}, {"mpeg", Container::Mpeg},
        {"vob", Container::Vob}, {"mp4", Container::Mp4},  {"mov", Container::Mov},
        {"wmv", Container::Asf}, {"asf", Container::Asf},  {"flv", Container::Flv},
        {"mkv", Container::Mkv}};
    const std::string format = lowerCase(outputFormat);
    if (!format.empty() && format != "lavf") {
        const auto found = byName.find(format);
        if (found == byName.end())
            throw EncoderError::usage("Output format " + outputFormat + " is not supported.");
        return found->second;
    }
    std::string extension = lowerCase(std::filesystem::path(outputPath).extension().string());
    if (!extension.empty())
        extension.erase(0, 1);
    const auto found = byName.find(extension);
    return found == byName.end() ? Container::Avi : found->second;
}

std::string containerName(Container container)
{
    return ruleFor(container).name;
}

std::string muxerName(Container container, const std::string& videoCodec,
                      const std::string& audioCodec)
{
    switch (container) {
    case Container::Avi:
        return "avi";
    case Container::Mpeg:
        return videoCodec == "mpeg2video" || audioCodec == "ac3" ? "vob" : "mpeg";
    case Container::Vob:
        return "vob";
    case Container::Mp4:
        return "mp4";
    case Container::Mov:
        return "mov";
    case Container::Asf:
        return "asf";
    case Container::Flv:
        return "flv";
    case Container::Mkv:
        return "matroska";
    }
    return "avi";
}

void checkCodecs(Container container, const std::string& videoCodec, const std::string& audioCodec)
{
    const auto& rule = ruleFor(container);
    if (!rule.videoCodecs.count(videoCodec))
        throw EncoderError::usage("The " + rule.name + " container cannot hold " + videoCodec +
                                  " video.");
    if (!rule.audioCodecs.count(audioCodec))
        throw EncoderError::usage("The " + rule.name + " container cannot hold " +
                                  audioName(audioCodec) + " audio.");
}

namespace {

// What each container takes as it comes from a copy, and players find there; the others take no
// copy. The profile that joins into it by copying, where there is one, for the refusals to offer.
struct CopyRule
{
    Container container;
    std::set<std::string> videoCodecs;
    std::set<std::string> audioCodecs;
    // FFmpeg 5.1's Matroska muxer writes no display matrix: a turned clip would play sideways.
    bool keepsRotation;
    std::string profile;
};

const std::vector<CopyRule>& copyRules()
{
    static const std::vector<CopyRule> table{
        {Container::Mp4,
         {"h264", "hevc", "mpeg4", "av1"},
         {"aac", "mp3", "ac3", "eac3", "alac", "opus"},
         true,
         "MP4 - Same as the videos (no re-encoding)"},
        {Container::Mkv,
         {"h264", "hevc", "mpeg4", "mpeg2video", "vp8", "vp9", "av1"},
         {"aac", "mp3", "ac3", "eac3", "opus", "vorbis", "flac", "pcm_s16le"},
         false,
         "MKV - Same as the videos (no re-encoding)"},
        {Container::Mov,
         {"h264", "hevc", "mpeg4", "prores", "mjpeg"},
         {"aac", "mp3", "ac3", "eac3", "alac", "pcm_s16le", "pcm_s24le"},
         true,
         ""},
    };
    return table;
}

const CopyRule* copyRuleFor(Container container)
{
    const auto found =
        std::find_if(copyRules().begin(), copyRules().end(),
                     [container](const auto& rule) { return rule.container == container; });
    return found == copyRules().end() ? nullptr : &*found;
}

bool holds(const CopyRule& rule, const CopiedStreams& streams)
{
    return rule.videoCodecs.count(streams.videoCodec) &&
           (!streams.audioCopied || streams.audioCodec.empty() ||
            rule.audioCodecs.count(streams.audioCodec)) &&
           (streams.rotation == 0 || rule.keepsRotation);
}

} // namespace

std::string copyAlternative(Container container, const CopiedStreams& streams)
{
    for (const auto& rule : copyRules())
        if (rule.container != container && !rule.profile.empty() && holds(rule, streams))
            return "join with \"" + rule.profile + "\" or a re-encoding profile.";
    return "join with a re-encoding profile.";
}

bool keepsRotation(Container container)
{
    const CopyRule* rule = copyRuleFor(container);
    return rule && rule->keepsRotation;
}

void checkCopiedCodecs(Container container, const std::string& videoCodec,
                       const std::string& audioCodec, bool audioCopied)
{
    const CopiedStreams streams{videoCodec, audioCodec, audioCopied};
    const CopyRule* rule = copyRuleFor(container);
    const std::string name = containerName(container);
    const auto refuse = [&](const std::string& what) {
        throw EncoderError::cannotCopy("The " + name + " container cannot hold " + what + "; " +
                                       copyAlternative(container, streams));
    };
    if (!rule || !rule->videoCodecs.count(streams.videoCodec))
        refuse("copied " + streams.videoCodec + " video");
    if (streams.audioCodec.empty())
        return;
    if (streams.audioCopied && !rule->audioCodecs.count(streams.audioCodec))
        refuse("copied " + streams.audioCodec + " audio");
    if (!streams.audioCopied && !ruleFor(container).audioCodecs.count(streams.audioCodec))
        throw EncoderError::usage("The " + name + " container cannot hold " +
                                  audioName(streams.audioCodec) + " audio.");
}

std::vector<int> containerSampleRates(Container container, const std::string& audioCodec)
{
    // FLV stores the rate of MP3 and PCM in two bits.
    if (container == Container::Flv && audioCodec == "libmp3lame")
        return {44100, 22050, 11025};
    if (container == Container::Flv && audioCodec == "pcm_s16le")
        return {44100, 22050, 11025, 5512};
    return {};
}

} // namespace asapi
