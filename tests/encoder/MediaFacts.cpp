#include "MediaFacts.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>
#include <optional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <cmath>
#include <functional>
#include <memory>

namespace {

struct InputCloser
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using Input = std::unique_ptr<AVFormatContext, InputCloser>;

Input openMedia(const QString& path)
{
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return nullptr;
    Input input(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return nullptr;
    return input;
}

// Decodes the best stream of a kind and hands every frame to the visitor until it says stop.
void decodeFrames(const QString& path, AVMediaType type,
                  const std::function<bool(const AVFrame*, const AVStream*)>& visit)
{
    Input input = openMedia(path);
    if (!input)
        return;
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(input.get(), type, -1, -1, &codec, 0);
    if (index < 0)
        return;
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(decoder, input->streams[index]->codecpar);
    decoder->pkt_timebase = input->streams[index]->time_base;
    avcodec_open2(decoder, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool more = true;
    const auto drain = [&] {
        while (more && avcodec_receive_frame(decoder, frame) >= 0) {
            more = visit(frame, input->streams[index]);
            av_frame_unref(frame);
        }
    };
    while (more && av_read_frame(input.get(), packet) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(decoder, packet) >= 0)
            drain();
        av_packet_unref(packet);
    }
    if (more) {
        avcodec_send_packet(decoder, nullptr);
        drain();
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
}

} // namespace

MediaFacts readMediaFacts(const QString& path)
{
    MediaFacts facts;
    Input input = openMedia(path);
    if (!input)
        return facts;
    facts.opened = true;
    facts.format = QString::fromLatin1(input->iformat->name);
    const int videoIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audioIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    const auto describe = [&](int index, StreamFacts& stream) {
        if (index < 0)
            return;
        const AVStream* s = input->streams[index];
        stream.present = true;
        stream.codec = QString::fromLatin1(avcodec_get_name(s->codecpar->codec_id));
        stream.width = s->codecpar->width;
        stream.height = s->codecpar->height;
        const AVRational rate = s->avg_frame_rate.num > 0 ? s->avg_frame_rate : s->r_frame_rate;
        stream.frameRate = rate.den > 0 ? av_q2d(rate) : 0.0;
        stream.sampleRate = s->codecpar->sample_rate;
        stream.channels = s->codecpar->ch_layout.nb_channels;
        stream.playedByDefault = s->disposition & AV_DISPOSITION_DEFAULT;
    };
    describe(videoIndex, facts.video);
    describe(audioIndex, facts.audio);
    if (videoIndex >= 0)
        facts.rotated =
            av_stream_get_side_data(input->streams[videoIndex], AV_PKT_DATA_DISPLAYMATRIX, nullptr);

    AVPacket* packet = av_packet_alloc();
    int64_t lastVideoTime = AV_NOPTS_VALUE;
    int64_t lastAudioTime = AV_NOPTS_VALUE;
    // Per stream: the sum of the packets' durations, and the span their times cover.
    double summed[2] = {0.0, 0.0};
    double firstTime[2] = {0.0, 0.0};
    double endTime[2] = {0.0, 0.0};
    bool timed[2] = {false, false};
    bool untimed[2] = {false, false};
    while (av_read_frame(input.get(), packet) >= 0) {
        const AVStream* s = input->streams[packet->stream_index];
        StreamFacts* stream = packet->stream_index == videoIndex   ? &facts.video
                              : packet->stream_index == audioIndex ? &facts.audio
                                                                   : nullptr;
        if (stream) {
            ++stream->packets;
            int64_t& lastTime = stream == &facts.video ? lastVideoTime : lastAudioTime;
            if (packet->pts != AV_NOPTS_VALUE && packet->pts == lastTime)
                ++stream->repeatedTimes;
            lastTime = packet->pts;
            const int k = stream == &facts.video ? 0 : 1;
            double length = 0.0;
            if (packet->duration > 0)
                length = packet->duration * av_q2d(s->time_base);
            else if (k == 0 && stream->frameRate > 0)
                length = 1.0 / stream->frameRate;
            summed[k] += length;
            if (packet->pts == AV_NOPTS_VALUE) {
                untimed[k] = true;
            } else {
                const double start = packet->pts * av_q2d(s->time_base);
                firstTime[k] = timed[k] ? std::min(firstTime[k], start) : start;
                endTime[k] = timed[k] ? std::max(endTime[k], start + length) : start + length;
                timed[k] = true;
            }
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    facts.video.duration = timed[0] && !untimed[0] ? endTime[0] - firstTime[0] : summed[0];
    facts.audio.duration = timed[1] && !untimed[1] ? endTime[1] - firstTime[1] : summed[1];
    return facts;
}

QList<double> soundOnsets(const QString& path, double minimumSilence, bool countingSamples)
{
    QList<double> onsets;
    // Times count from the start of the picture, as a player shows them.
    double origin = 0.0;
    if (Input input = openMedia(path)) {
        const int video = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (video >= 0 && input->streams[video]->start_time != AV_NOPTS_VALUE)
            origin = input->streams[video]->start_time * av_q2d(input->streams[video]->time_base);
    }
    double quietFor = 0.0;
    bool armed = true; // the start counts as after silence
    std::optional<double> nextStart;
    decodeFrames(path, AVMEDIA_TYPE_AUDIO, [&](const AVFrame* frame, const AVStream* stream) {
        const double start =
            frame->best_effort_timestamp != AV_NOPTS_VALUE && !(countingSamples && nextStart)
                ? frame->best_effort_timestamp * av_q2d(stream->time_base)
                : nextStart.value_or(0.0);
        nextStart = start + static_cast<double>(frame->nb_samples) / frame->sample_rate;
        // Mix down to one float channel through the resampler for any format.
        SwrContext* swr = nullptr;
        AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
        swr_alloc_set_opts2(&swr, &mono, AV_SAMPLE_FMT_FLT, frame->sample_rate,
                            const_cast<AVChannelLayout*>(&frame->ch_layout),
                            static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0,
                            nullptr);
        swr_init(swr);
        std::vector<float> samples(frame->nb_samples + 64);
        auto* out = reinterpret_cast<uint8_t*>(samples.data());
        const int count =
            swr_convert(swr, &out, static_cast<int>(samples.size()),
                        const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
        swr_free(&swr);
        for (int i = 0; i < count; ++i) {
            const double level = std::abs(samples[i]);
            const double time = start - origin + static_cast<double>(i) / frame->sample_rate;
            quietFor = level < 0.005 ? quietFor + 1.0 / frame->sample_rate : 0.0;
            armed = armed || quietFor >= minimumSilence;
            if (level > 0.05 && armed) {
                onsets.append(time);
                armed = false;
            }
        }
        return true;
    });
    return onsets;
}

int lumaAt(const QString& path, double x, double y)
{
    int luma = -1;
    decodeFrames(path, AVMEDIA_TYPE_VIDEO, [&](const AVFrame* frame, const AVStream*) {
        const int column = static_cast<int>(x * (frame->width - 1));
        const int row = static_cast<int>(y * (frame->height - 1));
        luma = frame->data[0][row * frame->linesize[0] + column];
        return false;
    });
    return luma;
}

QRect brightArea(const QString& path)
{
    QRect area;
    decodeFrames(path, AVMEDIA_TYPE_VIDEO, [&](const AVFrame* frame, const AVStream*) {
        for (int row = 0; row < frame->height; ++row)
            for (int column = 0; column < frame->width; ++column)
                if (frame->data[0][row * frame->linesize[0] + column] > 128)
                    area |= QRect(column, row, 1, 1);
        return false;
    });
    return area;
}

QByteArray toolOutput(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000))
        qWarning() << tool << "did not finish within a minute";
    return process.readAllStandardOutput();
}

QByteArrayList probedEntries(const QString& path, const QString& streams, const QString& entries,
                             const QStringList& more)
{
    QStringList arguments{QStringLiteral("-v"), QStringLiteral("error")};
    if (!streams.isEmpty())
        arguments << QStringLiteral("-select_streams") << streams;
    arguments << QStringLiteral("-show_entries") << entries << more << QStringLiteral("-of")
              << QStringLiteral("csv=p=0") << path;
    QByteArrayList lines = toolOutput(QStringLiteral("ffprobe"), arguments).split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

QByteArrayList pictureSums(const QString& path, bool decoded)
{
    QStringList arguments{QStringLiteral("-v"),   QStringLiteral("error"),
                          QStringLiteral("-i"),   path,
                          QStringLiteral("-map"), QStringLiteral("0:v")};
    if (!decoded)
        arguments << QStringLiteral("-c") << QStringLiteral("copy");
    arguments << QStringLiteral("-f") << QStringLiteral("framemd5") << QStringLiteral("-");
    QByteArrayList sums;
    for (const QByteArray& line : toolOutput(QStringLiteral("ffmpeg"), arguments).split('\n'))
        if (!line.isEmpty() && !line.startsWith('#'))
            sums << line.mid(line.lastIndexOf(',') + 1).trimmed();
    return sums;
}

QList<ChapterMark> chaptersOf(const QString& path)
{
    const QJsonDocument document = QJsonDocument::fromJson(
        toolOutput(QStringLiteral("ffprobe"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_chapters"),
                    QStringLiteral("-of"), QStringLiteral("json"), path}));
    QList<ChapterMark> chapters;
    for (const QJsonValue chapter : document.object().value(QStringLiteral("chapters")).toArray())
        chapters << ChapterMark{
            chapter.toObject().value(QStringLiteral("start_time")).toString().toDouble(),
            chapter.toObject()
                .value(QStringLiteral("tags"))
                .toObject()
                .value(QStringLiteral("title"))
                .toString()};
    return chapters;
}

QByteArrayList greyPictures(const QString& path)
{
    const QByteArray all = toolOutput(QStringLiteral("ffmpeg"),
                                      QStringLiteral("-v error -i %1 -vf scale=80:60,format=gray "
                                                     "-f rawvideo -")
                                          .split(' ')
                                          .replaceInStrings("%1", path));
    QByteArrayList pictures;
    for (qsizetype at = 0; at + 80 * 60 <= all.size(); at += 80 * 60)
        pictures << all.mid(at, 80 * 60);
    return pictures;
}

int likestPicture(const QByteArray& picture, const QByteArrayList& pictures)
{
    const auto difference = [&picture](const QByteArray& other) {
        qint64 sum = 0;
        for (qsizetype i = 0; i < std::min(picture.size(), other.size()); ++i)
            sum += std::abs(quint8(picture[i]) - quint8(other[i]));
        return sum;
    };
    return int(std::ranges::min_element(pictures, {}, difference) - pictures.begin());
}
