#include "JoinedSource.h"

#include "FrameClock.h"
#include "StopSignal.h"
#include "StreamDecoder.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace asapi {

JoinedSource::JoinedSource(const std::vector<InputFacts>& inputs,
                           const std::vector<PictureLayout>& layouts, const VideoTarget& video,
                           const AudioTarget& audio, int decoderThreads, FrameQueue& queue,
                           Warn warn)
    : m_inputs(inputs), m_layouts(layouts), m_videoTarget(video), m_decoderThreads(decoderThreads),
      m_queue(queue), m_warn(std::move(warn)),
      m_audio(
          audio, [this](FramePtr frame) { send(FrameKind::Audio, std::move(frame)); }, m_warn)
{
}

void JoinedSource::send(FrameKind kind, FramePtr frame)
{
    if (!m_queue.push(QueuedFrame{kind, std::move(frame)}))
        throw EncoderError{"The encoding thread has stopped."};
}

void JoinedSource::run()
{
    try {
        for (std::size_t i = 0; i < m_inputs.size(); ++i) {
            if (stopRequested())
                break;
            readInput(m_inputs[i], m_layouts.at(i));
        }
    } catch (const EncoderError& error) {
        // The open of the next input was cut short: the file ends with the one before.
        if (error.kind() != EncoderError::Kind::Stop)
            throw;
    }
    // A stop that comes from here on finds every input read: the file will be complete.
    m_cutShort = stopRequested();
    m_audio.finish();
}

void JoinedSource::readInput(const InputFacts& input, const PictureLayout& layout)
{
    OpenedInput opened = openInput(input.path);
    AVFormatContext* context = opened.context.get();
    const int videoIndex = opened.videoIndex;
    int audioIndex = opened.audioIndex;
    for (unsigned i = 0; i < context->nb_streams; ++i)
        if (static_cast<int>(i) != videoIndex && static_cast<int>(i) != audioIndex)
            context->streams[i]->discard = AVDISCARD_ALL;

    const AVStream* videoStream = context->streams[videoIndex];
    CodecContextPtr videoCodec = openDecoder(videoStream, m_decoderThreads);
    if (!videoCodec)
        throw EncoderError::unreadableInput(clipName(input.path) + " cannot be read as a video.");
    CodecContextPtr audioCodec;
    if (audioIndex >= 0 &&
        !(audioCodec = openDecoder(context->streams[audioIndex], m_decoderThreads))) {
        m_warn("No usable audio in " + input.path + "; using silence.");
        audioIndex = -1;
    }

    // Sound and picture are measured from the picture's start.
    std::int64_t videoOrigin = videoStream->start_time;
    if (videoOrigin == AV_NOPTS_VALUE)
        videoOrigin =
            context->start_time == AV_NOPTS_VALUE
                ? 0
                : av_rescale_q(context->start_time, AV_TIME_BASE_Q, videoStream->time_base);
    const bool clockMayRestart = context->iformat->flags & AVFMT_TS_DISCONT;

    const std::int64_t firstFrame = m_videoFrames;
    m_audio.beginInput(input.path, audioIndex >= 0, m_videoFrames);
    // No picture is held longer than the input lasts: a longer gap can only come of damage.
    const double longestGap = input.duration > 0 ? input.duration + 10.0 : 3600.0;
    VideoNormaliser video(m_videoTarget, layout, input.rotation, longestGap,
                          [this](FramePtr frame) {
                              frame->pts = m_videoFrames++;
                              send(FrameKind::Video, std::move(frame));
                              m_audio.videoReached(m_videoFrames);
                          });
    // How long the input's picture is as read, jumps of its clock taken out: its header may
    // count them.
    double pictureEnd = 0.0;
    StreamDecoder videoDecoder(
        std::move(videoCodec),
        FrameClock(videoStream->time_base, videoOrigin, clockMayRestart, input.duration,
                   [&video, &pictureEnd](const AVFrame* frame, double start, double duration) {
                       pictureEnd = std::max(pictureEnd, start + duration);
                       video.push(frame, start, duration);
                   }),
        1.0 / input.frameRate.value(), input.path, m_warn);
    std::optional<StreamDecoder> audioDecoder;
    if (audioIndex >= 0) {
        const AVRational timeBase = context->streams[audioIndex]->time_base;
        audioDecoder.emplace(std::move(audioCodec),
                             FrameClock(timeBase,
                                        av_rescale_q(videoOrigin, videoStream->time_base, timeBase),
                                        clockMayRestart, input.duration,
                                        [this](const AVFrame* frame, double start, double) {
                                            m_audio.push(frame, start);
                                        }),
                             0.0, input.path, m_warn);
    }

    readPackets(context, input.path, m_warn, [&](AVPacket* packet) {
        if (packet->stream_index == videoIndex)
            videoDecoder.decode(packet);
        else if (packet->stream_index == audioIndex)
            audioDecoder->decode(packet);
    });
    videoDecoder.finish();
    if (audioDecoder)
        audioDecoder->finish();
    video.finish();
    // An input whose picture cannot be decoded must not vanish from a join that succeeds.
    if (video.framesEmitted() == 0 && !stopRequested())
        throw EncoderError{input.path + " has no picture that can be decoded."};
    if (m_videoFrames > firstFrame) {
        const double start = firstFrame / m_videoTarget.frameRate.value();
        m_chapters.push_back(Chapter{start, input.chapterName});
        if (m_chapters.size() > 1)
            m_joinPoints.push_back(JoinPoint{
                static_cast<int>(m_chapters.size()), start,
                static_cast<double>(m_audio.inputSoundStart()) / m_audio.sampleRate() - start,
                0.0});
        m_clipsLength += pictureEnd;
    }
    m_audio.endInput(m_videoFrames);
}

WrittenJoin JoinedSource::written() const
{
    WrittenJoin written;
    written.joins = m_joinPoints;
    // No shapes: every part is turned upright and given the output's own pixels, and not every
    // container the output may be in says what shape they have.
    written.clipsLength = m_clipsLength;
    written.videoEnd = m_videoFrames / m_videoTarget.frameRate.value();
    return written;
}

} // namespace asapi
