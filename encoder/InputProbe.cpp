#include "InputProbe.h"

#include "FfmpegPointers.h"

extern "C" {
#include <libavutil/display.h>
}

#include <cmath>

namespace asapi {

int rotationFromDisplayMatrix(const int32_t* matrix)
{
    if (!matrix)
        return 0;
    // av_display_rotation_get gives the counter-clockwise angle.
    const double clockwise = -av_display_rotation_get(matrix);
    if (std::isnan(clockwise))
        return 0;
    int quarter = static_cast<int>(std::lround(clockwise / 90.0)) % 4;
    if (quarter < 0)
        quarter += 4;
    return quarter * 90;
}

OpenedInput openInput(const std::string& path)
{
    const EncoderError cannotOpen{"Failed to open " + path + ".\nCannot open file/device."};
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0)
        throw cannotOpen;
    OpenedInput input{InputContextPtr(raw)};
    AVFormatContext* context = input.context.get();
    if (avformat_find_stream_info(context, nullptr) < 0)
        throw cannotOpen;
    input.videoIndex = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (input.videoIndex < 0)
        throw cannotOpen;
    const AVCodecParameters* video = context->streams[input.videoIndex]->codecpar;
    if (video->width <= 0 || video->height <= 0 || !avcodec_find_decoder(video->codec_id))
        throw cannotOpen;
    input.audioIndex =
        av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, input.videoIndex, nullptr, 0);
    if (input.audioIndex >= 0 &&
        !avcodec_find_decoder(context->streams[input.audioIndex]->codecpar->codec_id))
        input.audioIndex = -1;
    return input;
}

InputFacts probeInput(const std::string& path)
{
    const OpenedInput input = openInput(path);
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
        facts.sampleRate = context->streams[input.audioIndex]->codecpar->sample_rate;
    }
    if (context->duration > 0)
        facts.duration = context->duration / static_cast<double>(AV_TIME_BASE);
    else if (video->duration > 0)
        facts.duration = video->duration * av_q2d(video->time_base);
    return facts;
}

} // namespace asapi
