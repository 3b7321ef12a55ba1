#include "OutputContainers.h"

#include <algorithm>
#include <cctype>

namespace vantomel {
namespace {

using Names = std::string_view[];

constexpr Names mpegVideo{"mpeg1video", "mpeg2video"};
constexpr Names mpegAudio{"mp2", "libmp3lame", "ac3"};
constexpr Names isoVideo{"mpeg4", "libx264", "mpeg1video", "mpeg2video"};
constexpr Names windowsMediaVideo{"wmv1", "wmv2", "msmpeg4", "msmpeg4v2", "mpeg4"};
constexpr Names windowsMediaAudio{"wmav2", "libmp3lame", "pcm_s16le"};

constexpr Names aviExtensions{"avi"};
constexpr Names mpegExtensions{"mpg", "mpeg"};
constexpr Names mp4Extensions{"mp4"};
constexpr Names wmvExtensions{"wmv"};
constexpr Names movExtensions{"mov"};
constexpr Names vobExtensions{"vob"};
constexpr Names asfExtensions{"asf"};
constexpr Names flvExtensions{"flv"};
constexpr Names mkvExtensions{"mkv"};

constexpr Names mp4Audio{"aac", "libmp3lame", "mp2", "ac3"};
constexpr Names mp4CopiedVideo{"h264", "hevc", "mpeg4", "av1"};
constexpr Names mp4CopiedAudio{"aac", "mp3", "ac3", "eac3", "alac", "opus"};
constexpr Names isoSubtitles{"mov_text"};
// GoPro's telemetry; a timecode track is written anew from the first clip's timecode.
constexpr Names isoData{"gpmd"};

constexpr Names movAudio{"aac", "libmp3lame", "mp2", "ac3", "pcm_s16le"};
constexpr Names movCopiedVideo{"h264", "hevc", "mpeg4", "prores", "mjpeg"};
constexpr Names movCopiedAudio{"aac", "mp3", "ac3", "eac3", "alac", "pcm_s16le", "pcm_s24le"};

constexpr Names flvVideo{"flv", "libx264"};
constexpr Names flvAudio{"libmp3lame", "aac", "pcm_s16le"};
// FLV stores the rate of MP3 and PCM in two bits.
constexpr int flvMp3Rates[]{44100, 22050, 11025};
constexpr int flvPcmRates[]{44100, 22050, 11025, 5512};
constexpr SampleRateLimit flvRates[]{{"libmp3lame", flvMp3Rates}, {"pcm_s16le", flvPcmRates}};

constexpr Names mkvAudio{"aac", "libmp3lame", "mp2", "ac3", "pcm_s16le"};
constexpr Names mkvCopiedVideo{"h264", "hevc", "mpeg4", "mpeg2video", "vp8", "vp9", "av1"};
constexpr Names mkvCopiedAudio{"aac", "mp3", "ac3", "eac3", "opus", "vorbis", "flac", "pcm_s16le"};
constexpr Names mkvSubtitles{"subrip", "ass", "ssa", "webvtt", "hdmv_pgs_subtitle", "dvd_subtitle"};

// Windows Media files are ASF under either extension: two rows keep the dialog's order.
constexpr OutputContainer asfAs(CodecNames extensions)
{
    return {.name = "ASF",
            .extensions = extensions,
            .muxer = "asf",
            .videoEncoders = windowsMediaVideo,
            .audioEncoders = windowsMediaAudio};
}

constexpr OutputContainer containers[]{
    {.name = "AVI",
     .extensions = aviExtensions,
     .muxer = "avi",
     .takesEveryEncoder = true,
     .emptyChunkRepeatsPicture = true,
     .titledAfterLoneInput = true},
    {.name = "MPEG",
     .extensions = mpegExtensions,
     .muxer = "mpeg",
     .mpeg2Muxer = "vob",
     .videoEncoders = mpegVideo,
     .audioEncoders = mpegAudio},
    {.name = "MP4",
     .extensions = mp4Extensions,
     .muxer = "mp4",
     .videoEncoders = isoVideo,
     .audioEncoders = mp4Audio,
     .copiedVideo = mp4CopiedVideo,
     .copiedAudio = mp4CopiedAudio,
     .copiedSubtitles = isoSubtitles,
     .copiedData = isoData,
     .keepsRotation = true,
     .inBandParameterSets = true,
     .takesChapters = true,
     .copyProfile = "MP4 - Same as the videos (no re-encoding)",
     .reencodeProfile = "MP4 - H.264 and AAC"},
    asfAs(wmvExtensions),
    {.name = "MOV",
     .extensions = movExtensions,
     .muxer = "mov",
     .videoEncoders = isoVideo,
     .audioEncoders = movAudio,
     .copiedVideo = movCopiedVideo,
     .copiedAudio = movCopiedAudio,
     .copiedSubtitles = isoSubtitles,
     .copiedData = isoData,
     .keepsRotation = true,
     .inBandParameterSets = true,
     .takesChapters = true,
     .reencodeProfile = "MOV - H.264 and AAC"},
    {.name = "VOB",
     .extensions = vobExtensions,
     .muxer = "vob",
     .videoEncoders = mpegVideo,
     .audioEncoders = mpegAudio},
    asfAs(asfExtensions),
    {.name = "FLV",
     .extensions = flvExtensions,
     .muxer = "flv",
     .videoEncoders = flvVideo,
     .audioEncoders = flvAudio,
     .sampleRates = flvRates,
     .oneSoundTrack = true},
    {.name = "MKV",
     .extensions = mkvExtensions,
     .muxer = "matroska",
     .videoEncoders = isoVideo,
     .audioEncoders = mkvAudio,
     .copiedVideo = mkvCopiedVideo,
     .copiedAudio = mkvCopiedAudio,
     .copiedSubtitles = mkvSubtitles,
     // FFmpeg 5.1's Matroska muxer writes no display matrix: a turned clip would play sideways.
     .keepsRotation = false,
     .takesChapters = true,
     .chaptersBeforePackets = true,
     .copyProfile = "MKV - Same as the videos (no re-encoding)",
     .reencodeProfile = "MKV - H.264 and AAC"},
};

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::span<const OutputContainer> outputContainers()
{
    return containers;
}

const OutputContainer* containerWithExtension(std::string_view extension)
{
    for (const OutputContainer& container : containers)
        for (std::string_view own : container.extensions)
            if (sameIgnoringCase(own, extension))
                return &container;
    return nullptr;
}

} // namespace vantomel
