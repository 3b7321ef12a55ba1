#include "InputProbe.h"

#include "CarriedTracks.h"
#include "FfmpegPointers.h"
#include "PictureTurn.h"
#include "StopSignal.h"

extern "C" {
#include <libavutil/display.h>
}

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace asapi {

int rotationFromDisplayMatrix(const int32_t* matrix)
{
    if (!matrix)
        return 0;
    return vantomel::uprightTurn(av_display_rotation_get(matrix));
}

namespace {

// An input is read as the one file it is: a playlist or a reference inside it that names other
// files or URLs is not followed.
int refuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**)
{
    return AVERROR(EPERM);
}

// A read that a stop cut short is no fault of the file.
[[noreturn]] void cannotOpen(const std::string& path)
{
    if (stopRequested())
        throw EncoderError::stopped();
    throw EncoderError::unreadableInput(clipName(path) + " cannot be read as a video.");
}

} // namespace

OpenedInput openContainer(const std::string& path, const AVInputFormat* format)
{
    OpenedInput input;
    input.file = std::make_unique<InputFile>(path);
    AVFormatContext* raw = allocated(avformat_alloc_context());
    raw->pb = input.file->context();
    raw->interrupt_callback = AVIOInterruptCB{interruptWhenStopped, nullptr};
    raw->io_open = refuseNestedOpen;
    // The path names the file for the format's guess by extension only; it is not opened again.
    if (avformat_open_input(&raw, path.c_str(), format, nullptr) < 0)
        cannotOpen(path);
    input.context.reset(raw);
    return input;
}

void readOnlyStreams(AVFormatContext* context, int stream, int otherStream)
{
    readOnlyStreams(context, std::vector<int>{stream, otherStream});
}

void readOnlyStreams(AVFormatContext* context, const std::vector<int>& streams)
{
    for (unsigned i = 0; i < context->nb_streams; ++i)
        if (std::find(streams.begin(), streams.end(), static_cast<int>(i)) == streams.end())
            context->streams[i]->discard = AVDISCARD_ALL;
}

OpenedInput openInput(const std::string& path)
{
    OpenedInput input = openContainer(path, nullptr);
    AVFormatContext* context = input.context.get();
    // The few pictures decoded to learn a stream's parameters take one thread: threads of their
    // own would each set up a decoder and its pictures first, which costs more than the decoding.
    std::vector<AVDictionary*> decoderOptions(context->nb_streams, nullptr);
    for (AVDictionary*& options : decoderOptions)
        av_dict_set(&options, "threads", "1", 0);
    const int found = avformat_find_stream_info(context, decoderOptions.data());
    for (AVDictionary*& options : decoderOptions)
        av_dict_free(&options);
    if (found < 0)
        cannotOpen(path);
    input.videoIndex = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (input.videoIndex == AVERROR_STREAM_NOT_FOUND &&
        av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0)
        throw EncoderError::unreadableInput(clipName(path) + " has no video.");
    if (input.videoIndex < 0)
        cannotOpen(path);
    const AVCodecParameters* video = context->streams[input.videoIndex]->codecpar;
    if (video->width <= 0 || video->height <= 0 || !avcodec_find_decoder(video->codec_id))
        cannotOpen(path);
    input.audioIndex =
        av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, input.videoIndex, nullptr, 0);
    if (input.audioIndex >= 0 &&
        !avcodec_find_decoder(context->streams[input.audioIndex]->codecpar->codec_id))
        input.audioIndex = -1;
    return input;
}

InputFacts probeInput(const std::string& path)
{
    return inputFacts(openInput(path), path);
}

InputFacts inputFacts(const OpenedInput& input, const std::string& path)
{
    AVFormatContext* context = input.context.get();
    AVStream* video = context->streams[input.videoIndex];
    const AVCodecParameters* parameters = video->codecpar;

    InputFacts facts;
    facts.path = path;
    facts.rotation = rotationFromDisplayMatrix(reinterpret_cast<const int32_t*>(
        av_stream_get_side_data(video, AV_PKT_DATA_DISPLAYMATRIX, nullptr)));
    const bool turned = facts.rotation == 90 || facts.rotation == 270;
    facts.width = turned ? parameters->height : parameters->width;
    facts.height = turned ? parameters->width : parameters->height;
    const AVRational sar = av_guess_sample_aspect_ratio(context, video, nullptr);
    if (sar.num > 0 && sar.den > 0)
        facts.pixelAspect = turned ? av_q2d(av_inv_q(sar)) : av_q2d(sar);

    AVRational rate = video->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 240)
        rate = video->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 240 || av_q2d(rate) < 1)
        rate = AVRational{25, 1};
    av_reduce(&rate.num, &rate.den, rate.num, rate.den, 65535);
    facts.frameRate = Ratio{rate.num, rate.den};

    if (input.audioIndex >= 0) {
        facts.hasAudio = true;
        const AVStream* audio = context->streams[input.audioIndex];
        facts.sampleRate = audio->codecpar->sample_rate;
        if (audio->start_time != AV_NOPTS_VALUE && video->start_time != AV_NOPTS_VALUE)
            facts.soundOffset = audio->start_time * av_q2d(audio->time_base) -
                                video->start_time * av_q2d(video->time_base);
    }
    facts.tracks = trackSources(context, input.audioIndex);
    if (context->duration > 0)
        facts.duration = context->duration / static_cast<double>(AV_TIME_BASE);
    else if (video->duration > 0)
        facts.duration = video->duration * av_q2d(video->time_base);
    const AVDictionaryEntry* title = av_dict_get(context->metadata, "title", nullptr, 0);
    facts.chapterName = title && *title->value ? std::string(title->value)
                                               : std::filesystem::path(path).stem().string();
    return facts;
}

std::int64_t pictureOrigin(const AVFormatContext* context, const AVStream* video)
{
    if (video->start_time != AV_NOPTS_VALUE)
        return video->start_time;
    return context->start_time == AV_NOPTS_VALUE
               ? 0
               : av_rescale_q(context->start_time, AV_TIME_BASE_Q, video->time_base);
}

// Reading starts this far before a part: a keyframe is found by its decoding time, which may
// come before the time it is shown, and the pictures before the part are decoded and dropped.
constexpr double seekLead = 1.0; // seconds

void seekToPart(AVFormatContext* context, int videoIndex, std::int64_t origin, double partStart,
                const std::string& path)
{
    if (partStart <= seekLead || context->iformat->flags & AVFMT_TS_DISCONT)
        return;
    const AVRational timeBase = context->streams[videoIndex]->time_base;
    const std::int64_t target =
        origin + static_cast<std::int64_t>((partStart - seekLead) / av_q2d(timeBase));
    if (av_seek_frame(context, videoIndex, target, AVSEEK_FLAG_BACKWARD) >= 0)
        return;
    // A seek that failed may have left the reading anywhere.
    if (av_seek_frame(context, videoIndex, origin, AVSEEK_FLAG_BACKWARD) < 0)
        throw EncoderError{"Cannot find the part of " + path + " that is asked for."};
}

} // namespace asapi
