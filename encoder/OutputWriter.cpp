#include "OutputWriter.h"

#include "VobAudioTimes.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <cerrno>
#include <cstdio>

namespace asapi {
namespace {

// Frames of sound waiting for their encoder: enough to ride out a slow picture or two.
constexpr std::size_t audioQueueCapacity = 64;

AVRational toRational(Ratio ratio)
{
    return AVRational{ratio.num, ratio.den};
}

void setCodecOptions(AVCodecContext* context, const NamedOptions& options)
{
    for (const auto& [name, value] : options)
        av_opt_set(context->priv_data, name.c_str(), value.c_str(), 0);
}

} // namespace

CodecContextPtr openAudioEncoder(const OutputPlan& plan, const AVOutputFormat* format)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(plan.audioCodec.c_str());
    CodecContextPtr audio(allocated(avcodec_alloc_context3(codec)));
    AVCodecContext* c = audio.get();
    c->sample_rate = plan.sampleRate;
    av_channel_layout_default(&c->ch_layout, plan.channels);
    c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    c->time_base = AVRational{1, plan.sampleRate};
    if (plan.audioQuality) {
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = FF_QP2LAMBDA * *plan.audioQuality;
    } else if (plan.audioBitrate > 0) {
        c->bit_rate = plan.audioBitrate;
    }
    setCodecOptions(c, plan.audioCodecOptions);
    if (format->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int opened = avcodec_open2(c, codec, nullptr);
    if (opened < 0)
        throw EncoderError{
            "The " + plan.audioCodec + " encoder cannot write " + std::to_string(plan.channels) +
            " channels at " + std::to_string(plan.sampleRate) + " Hz and " +
            std::to_string(c->bit_rate / 1000) + " kbit/s: " + errorText(opened) + "."};
    return audio;
}

AudioTarget audioTargetFor(const AVCodecContext* encoder, const AVOutputFormat* format,
                           Ratio videoRate)
{
    AudioTarget target;
    target.sampleRate = encoder->sample_rate;
    check(av_channel_layout_copy(&target.layout, &encoder->ch_layout), "Out of memory");
    target.format = encoder->sample_fmt;
    target.frameSize = encoder->frame_size > 0 ? encoder->frame_size : 1024;
    target.videoRate = videoRate;
    target.leadIn = format->flags & AVFMT_TS_NEGATIVE ? 0 : encoder->initial_padding;
    return target;
}

OutputWriter::OutputWriter(const OutputPlan& plan) : m_plan(plan), m_videoPacket(makePacket())
{
    m_format = av_guess_format(m_plan.muxer.c_str(), nullptr, nullptr);
    if (!m_format)
        throw EncoderError{"The " + m_plan.muxer + " muxer is missing from this FFmpeg."};
    openVideoEncoder();
    for (std::size_t t = 0; t < std::max<std::size_t>(m_plan.soundTrackLanguages.size(), 1); ++t)
        m_sound.push_back(
            SoundTrack{openAudioEncoder(m_plan, m_format), makePacket(), nullptr, nullptr});
    m_audioLeadIn =
        audioTargetFor(m_sound.front().encoder.get(), m_format, m_plan.frameRate).leadIn;
}

OutputWriter::~OutputWriter()
{
    close();
}

void OutputWriter::openVideoEncoder()
{
    const AVCodec* codec = avcodec_find_encoder_by_name(m_plan.videoCodec.c_str());
    m_video.reset(allocated(avcodec_alloc_context3(codec)));
    AVCodecContext* c = m_video.get();
    c->width = m_plan.width;
    c->height = m_plan.height;
    c->framerate = toRational(m_plan.frameRate);
    c->time_base = av_inv_q(c->framerate);
    c->pix_fmt = codec->pix_fmts ? codec->pix_fmts[0] : AV_PIX_FMT_YUV420P;
    c->sample_aspect_ratio = av_d2q(m_plan.pixelAspect, 255);
    c->gop_size = m_plan.keyframeInterval;
    c->max_b_frames = m_plan.bFrames;
    if (m_plan.videoBitrate > 0)
        c->bit_rate = m_plan.videoBitrate;
    if (m_plan.videoMaxRate > 0) {
        c->rc_max_rate = m_plan.videoMaxRate;
        c->rc_buffer_size = m_plan.videoBufferSize;
    }
    if (m_plan.quantiser > 0) {
        // Each picture carries the quantiser too (see writeVideo): the encoder takes it from there.
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = FF_QP2LAMBDA * m_plan.quantiser;
    }
    setCodecOptions(c, m_plan.videoCodecOptions);
    c->thread_count = m_plan.encoderThreads;
    if (m_plan.sliceThreads)
        c->thread_type = FF_THREAD_SLICE;
    if (m_format->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int opened = avcodec_open2(c, codec, nullptr);
    if (opened < 0)
        throw EncoderError{"The " + m_plan.videoCodec + " encoder cannot write " +
                           std::to_string(m_plan.width) + "x" + std::to_string(m_plan.height) +
                           " video: " + errorText(opened) + "."};
}

VideoTarget OutputWriter::videoTarget() const
{
    return VideoTarget{m_video->width, m_video->height, m_video->pix_fmt,
                       m_video->sample_aspect_ratio, m_plan.frameRate};
}

AudioTarget OutputWriter::audioTarget() const
{
    return audioTargetFor(m_sound.front().encoder.get(), m_format, m_plan.frameRate);
}

void OutputWriter::create(const std::string& path)
{
    m_path = path;
    AVFormatContext* muxer = nullptr;
    check(avformat_alloc_output_context2(&muxer, nullptr, m_plan.muxer.c_str(), path.c_str()),
          "Cannot write " + path);
    m_muxer.reset(muxer);
    m_videoStream = newTrack(muxer);
    check(avcodec_parameters_from_context(m_videoStream->codecpar, m_video.get()), "Out of memory");
    m_videoStream->time_base = m_video->time_base;
    m_videoStream->avg_frame_rate = m_video->framerate;
    m_videoStream->sample_aspect_ratio = m_video->sample_aspect_ratio;
    for (std::size_t t = 0; t < m_sound.size(); ++t) {
        SoundTrack& track = m_sound[t];
        track.stream = newTrack(muxer);
        check(avcodec_parameters_from_context(track.stream->codecpar, track.encoder.get()),
              "Out of memory");
        track.stream->time_base = track.encoder->time_base;
        const std::string& language = m_plan.soundTrackLanguages.at(t);
        // AVI keeps no language but a track's name, which players show: the language is its
        // name there, and a join of such files reads it back from there.
        const char* key = m_plan.muxer == "avi" ? "title" : "language";
        if (!language.empty())
            check(av_dict_set(&track.stream->metadata, key, language.c_str(), 0), "Out of memory");
        // The first is played; the others are there to be chosen.
        if (t > 0)
            track.stream->disposition &= ~AV_DISPOSITION_DEFAULT;
    }
    if (!m_plan.title.empty())
        check(av_dict_set(&muxer->metadata, "title", m_plan.title.c_str(), 0), "Out of memory");
    m_file = std::make_unique<OutputFile>(path);
    m_muxer->pb = m_file->context();
    AVDictionary* muxerOptions = nullptr;
    int written = 0;
    for (const auto& [name, value] : m_plan.muxerOptions)
        if (written >= 0)
            written = av_dict_set(&muxerOptions, name.c_str(), value.c_str(), 0);
    try {
        m_reservedChapters.emplace(muxer, m_plan.container, m_plan.chapterTitles, *m_file,
                                   &muxerOptions);
    } catch (...) {
        av_dict_free(&muxerOptions);
        throw;
    }
    if (written >= 0)
        written = avformat_write_header(muxer, &muxerOptions);
    av_dict_free(&muxerOptions);
    check(written, "Cannot write " + path);
    m_reservedChapters->headerWritten(avio_tell(muxer->pb));
    for (SoundTrack& track : m_sound)
        track.worker =
            std::make_unique<FrameWorker>(audioQueueCapacity, [this, &track](AVFrame* frame) {
                encode(track.encoder.get(), track.stream, frame, track.packet.get(), m_audioBytes);
            });
}

void OutputWriter::encode(AVCodecContext* encoder, AVStream* stream, const AVFrame* frame,
                          AVPacket* packet, std::atomic<std::int64_t>& bytes)
{
    check(avcodec_send_frame(encoder, frame), "Cannot encode " + m_path);
    while (true) {
        const int received = avcodec_receive_packet(encoder, packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return;
        check(received, "Cannot encode " + m_path);
        bytes += packet->size;
        av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        std::lock_guard lock(m_muxerMutex);
        check(av_interleaved_write_frame(m_muxer.get(), packet), "Cannot write " + m_path);
    }
}

void OutputWriter::writeVideo(AVFrame* frame)
{
    // FFmpeg's quantiser encoders take the constant quality from each picture, not from the
    // context: a picture without it is encoded at the lowest quantiser and without rate
    // distortion weighing.
    if (m_plan.quantiser > 0)
        frame->quality = m_video->global_quality;
    ++m_framesWritten;
    if (m_plan.skipRepeatedPictures) {
        // The normaliser repeats a picture by reference; a new one never shares the buffer of
        // the one held here.
        if (m_lastPicture && frame->data[0] == m_lastPicture->data[0]) {
            m_lastRepeatTime = frame->pts;
            return;
        }
        m_lastRepeatTime.reset();
        m_lastPicture.reset(allocated(av_frame_clone(frame)));
    }
    encode(m_video.get(), m_videoStream, frame, m_videoPacket.get(), m_videoBytes);
}

void OutputWriter::writeAudio(FramePtr frame, int soundTrack)
{
    if (soundTrack == 0)
        m_samplesWritten += frame->nb_samples;
    m_sound.at(static_cast<std::size_t>(soundTrack)).worker->push(std::move(frame));
}

bool OutputWriter::finish(Placement placement, const BeforePlacing& beforePlacing)
{
    // The file lasts to the end of the last repeat.
    if (m_lastRepeatTime) {
        m_lastPicture->pts = *m_lastRepeatTime;
        encode(m_video.get(), m_videoStream, m_lastPicture.get(), m_videoPacket.get(),
               m_videoBytes);
    }
    encode(m_video.get(), m_videoStream, nullptr, m_videoPacket.get(), m_videoBytes);
    for (SoundTrack& track : m_sound) {
        track.worker->finish();
        encode(track.encoder.get(), track.stream, nullptr, track.packet.get(), m_audioBytes);
    }
    const double end = figures().position;
    asapi::setChapters(m_muxer.get(), m_plan.container, m_chapters, end);
    check(av_write_trailer(m_muxer.get()), "Cannot write " + m_path);
    std::lock_guard lock(m_muxerMutex);
    m_reservedChapters->mend(m_chapters, end);
    if (m_plan.mendCutAudioFrames && m_file->mendableDescriptor() >= 0) {
        m_file->flush();
        if (!clearTimesOfCutAudioFrames(m_file->mendableDescriptor()))
            throw EncoderError{"Cannot write " + m_path + ": " + systemErrorText(errno) + "."};
    }
    m_file->showBeforePlacing(beforePlacing);
    return m_file->commit(placement);
}

void OutputWriter::discard()
{
    close();
}

void OutputWriter::close()
{
    // The sound's threads stop before the encoders and the muxer go.
    for (SoundTrack& track : m_sound)
        track.worker.reset();
    std::lock_guard lock(m_muxerMutex);
    m_muxer.reset();
    // What was not committed is dropped; the output path stays as it was.
    m_file.reset();
}

StatusFigures OutputWriter::figures() const
{
    StatusFigures figures;
    figures.frames = m_framesWritten;
    figures.position = m_framesWritten / m_plan.frameRate.value();
    figures.audioPosition =
        static_cast<double>(m_audioLeadIn + m_samplesWritten) / m_plan.sampleRate;
    figures.audioMinusVideo = figures.audioPosition - figures.position;
    figures.fraction =
        m_plan.expectedDuration > 0 ? figures.position / m_plan.expectedDuration : 0.0;
    {
        std::lock_guard lock(m_muxerMutex);
        figures.fileBytes = m_muxer && m_muxer->pb ? avio_tell(m_muxer->pb) : 0;
    }
    figures.videoBytes = m_videoBytes;
    figures.audioBytes = m_audioBytes;
    return figures;
}

} // namespace asapi
