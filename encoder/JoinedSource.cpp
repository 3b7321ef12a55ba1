#include "JoinedSource.h"

#include "FrameClock.h"
#include "StopSignal.h"
#include "StreamDecoder.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace asapi {
namespace {

// Times that may start again, as in MPEG streams, are told from a pause by their size.
bool clockMayRestart(const AVFormatContext* context)
{
    return context->iformat->flags & AVFMT_TS_DISCONT;
}

// Hands the part's pictures on, timed from its start. A picture before the part is kept while
// the next is not known: when that one comes more than a frame after the part's start, the
// picture is still shown there (a recording that only writes the pictures that change) and
// opens the part.
class PartPictures
{
public:
    PartPictures(const InputPart& part, double frameDuration, VideoNormaliser& video)
        : m_part(part), m_frameDuration(frameDuration), m_video(video), m_before(makeFrame())
    {
    }

    void push(const AVFrame* frame, double start, double duration)
    {
        if (m_part.startsBefore(start)) {
            av_frame_unref(m_before.get());
            check(av_frame_ref(m_before.get(), frame), "Out of memory");
            return;
        }
        m_ended = m_ended || m_part.endedBy(start);
        if (m_before->buf[0] && start - m_part.start > m_frameDuration)
            take(m_before.get(), 0.0, std::min(start, m_part.end()) - m_part.start);
        av_frame_unref(m_before.get());
        if (!m_part.endedBy(start))
            take(frame, start - m_part.start, duration);
    }
    // A picture from the part's end on has come: none after it is taken.
    bool ended() const { return m_ended; }
    // Where the last picture taken ends, from the part's start.
    double end() const { return m_end; }

private:
    void take(const AVFrame* frame, double start, double duration)
    {
        m_end = std::max(m_end, start + duration);
        m_video.push(frame, start, duration);
    }

    const InputPart& m_part;
    double m_frameDuration;
    VideoNormaliser& m_video;
    FramePtr m_before;
    bool m_ended = false;
    double m_end = 0.0;
};

} // namespace

JoinedSource::JoinedSource(const std::vector<InputFacts>& inputs,
                           const std::vector<PictureLayout>& layouts,
                           const std::vector<CarriedTrack>& soundTracks, const VideoTarget& video,
                           const AudioTarget& audio, int decoderThreads, FrameQueue& queue,
                           Warn warn)
    : m_inputs(inputs), m_layouts(layouts), m_soundTracks(soundTracks), m_videoTarget(video),
      m_decoderThreads(decoderThreads), m_queue(queue), m_warn(std::move(warn))
{
    for (std::size_t t = 0; t < m_soundTracks.size(); ++t)
        m_audio.push_back(std::make_unique<AudioTimeline>(
            audio,
            [this, t](FramePtr frame) {
                send(FrameKind::Audio, std::move(frame), static_cast<int>(t));
            },
            m_warn));
}

void JoinedSource::send(FrameKind kind, FramePtr frame, int soundTrack)
{
    if (!m_queue.push(QueuedFrame{kind, std::move(frame), soundTrack}))
        throw EncoderError{"The encoding thread has stopped."};
}

void JoinedSource::run()
{
    try {
        for (std::size_t i = 0; i < m_inputs.size(); ++i) {
            if (stopRequested())
                break;
            readInput(i, m_inputs[i], m_layouts.at(i));
        }
    } catch (const EncoderError& error) {
        // The open of the next input was cut short: the file ends with the one before.
        if (error.kind() != EncoderError::Kind::Stop)
            throw;
    }
    // A stop that comes from here on finds every input read: the file will be complete.
    m_cutShort = stopRequested();
    for (const auto& timeline : m_audio)
        timeline->finish();
}

void JoinedSource::readInput(std::size_t index, const InputFacts& input,
                             const PictureLayout& layout)
{
    OpenedInput opened = openInput(input.path);
    std::vector<int> read{opened.videoIndex};
    std::vector<InputSound> sounds(m_soundTracks.size());
    for (std::size_t t = 0; t < sounds.size(); ++t) {
        sounds[t].index = m_soundTracks[t].streams[index];
        read.push_back(sounds[t].index);
    }
    // Only the picture and the sound tracks are read from the file.
    readOnlyStreams(opened.context.get(), read);
    CodecContextPtr pictureCodec = openPictureDecoder(opened, input.path);
    for (InputSound& sound : sounds) {
        sound.codec = openSoundDecoder(opened, sound.index, input.path);
        if (!sound.codec)
            sound.index = -1;
        sound.ended = sound.index < 0;
    }

    const std::int64_t firstFrame = m_videoFrames;
    for (std::size_t t = 0; t < sounds.size(); ++t)
        m_audio[t]->beginInput(input.path, sounds[t].codec != nullptr, m_videoFrames);
    VideoNormaliser video = normaliserFor(input, layout);
    const double pictureEnd = decodeInput(opened, input, std::move(pictureCodec), sounds, video);
    video.finish();
    // An input whose picture cannot be decoded must not vanish from a join that succeeds.
    if (video.framesEmitted() == 0 && !stopRequested())
        throw EncoderError{input.path + " has no picture that can be decoded" +
                           (input.part.wholeInput() ? "." : " in the part asked for.")};
    if (m_videoFrames > firstFrame)
        recordInput(input, firstFrame, pictureEnd);
    for (const auto& timeline : m_audio)
        timeline->endInput(m_videoFrames);
}

CodecContextPtr JoinedSource::openPictureDecoder(const OpenedInput& opened, const std::string& path)
{
    CodecContextPtr decoder =
        openDecoder(opened.context->streams[opened.videoIndex], m_decoderThreads);
    if (!decoder)
        throw EncoderError::unreadableInput(clipName(path) + " cannot be read as a video.");
    return decoder;
}

CodecContextPtr JoinedSource::openSoundDecoder(const OpenedInput& opened, int stream,
                                               const std::string& path)
{
    if (stream < 0)
        return nullptr;
    CodecContextPtr decoder = openDecoder(opened.context->streams[stream], m_decoderThreads);
    if (!decoder)
        m_warn("No usable audio in " + path + "; using silence.");
    return decoder;
}

VideoNormaliser JoinedSource::normaliserFor(const InputFacts& input, const PictureLayout& layout)
{
    // No picture is held longer than the input lasts: a longer gap can only come of damage.
    const double longestGap = input.duration > 0 ? input.duration + 10.0 : 3600.0;
    return VideoNormaliser(m_videoTarget, layout, input.rotation, longestGap,
                           [this](FramePtr frame) {
                               frame->pts = m_videoFrames++;
                               send(FrameKind::Video, std::move(frame));
                               for (const auto& timeline : m_audio)
                                   timeline->videoReached(m_videoFrames);
                           });
}

double JoinedSource::decodeInput(const OpenedInput& opened, const InputFacts& input,
                                 CodecContextPtr pictureCodec, std::vector<InputSound>& sounds,
                                 VideoNormaliser& video)
{
    AVFormatContext* context = opened.context.get();
    const AVStream* videoStream = context->streams[opened.videoIndex];
    const std::int64_t origin = pictureOrigin(context, videoStream);
    const InputPart& part = input.part;
    seekToPart(context, opened.videoIndex, origin, part.start, input.path);
    PartPictures pictures(part, 1.0 / input.frameRate.value(), video);
    StreamDecoder videoDecoder(
        std::move(pictureCodec),
        FrameClock(videoStream->time_base, origin, clockMayRestart(context), input.duration,
                   [&pictures](const AVFrame* frame, double start, double duration) {
                       pictures.push(frame, start, duration);
                   }),
        1.0 / input.frameRate.value(), input.path, m_warn);
    for (std::size_t t = 0; t < sounds.size(); ++t)
        if (sounds[t].codec)
            sounds[t].decoder.emplace(soundDecoder(opened, input, sounds[t], *m_audio[t]));
    const auto allSoundEnded = [&sounds] {
        return std::all_of(sounds.begin(), sounds.end(), [](const auto& s) { return s.ended; });
    };
    readPackets(context, input.path, m_warn, [&](AVPacket* packet) {
        if (packet->stream_index == opened.videoIndex)
            videoDecoder.decode(packet);
        else
            for (InputSound& sound : sounds)
                if (packet->stream_index == sound.index && sound.decoder)
                    sound.decoder->decode(packet);
        // Nothing after the part is read.
        return !(pictures.ended() && allSoundEnded());
    });
    videoDecoder.finish();
    for (InputSound& sound : sounds)
        if (sound.decoder)
            sound.decoder->finish();
    return pictures.end();
}

StreamDecoder JoinedSource::soundDecoder(const OpenedInput& opened, const InputFacts& input,
                                         InputSound& sound, AudioTimeline& timeline)
{
    const AVFormatContext* context = opened.context.get();
    const AVStream* videoStream = context->streams[opened.videoIndex];
    const AVRational timeBase = context->streams[sound.index]->time_base;
    const std::int64_t origin =
        av_rescale_q(pictureOrigin(context, videoStream), videoStream->time_base, timeBase);
    const InputPart& part = input.part;
    bool& ended = sound.ended;
    return StreamDecoder(
        std::move(sound.codec),
        FrameClock(timeBase, origin, clockMayRestart(context), input.duration,
                   [&part, &ended, &timeline](const AVFrame* frame, double start, double duration) {
                       ended = ended || part.endedBy(start);
                       if (part.takesSound(start, duration))
                           timeline.push(frame, start - part.start);
                   }),
        0.0, input.path, m_warn);
}

void JoinedSource::recordInput(const InputFacts& input, std::int64_t firstFrame, double pictureEnd)
{
    const double start = firstFrame / m_videoTarget.frameRate.value();
    m_chapters.push_back(Chapter{start, input.chapterName});
    if (m_chapters.size() > 1)
        m_joinPoints.push_back(JoinPoint{static_cast<int>(m_chapters.size()), start,
                                         static_cast<double>(m_audio.front()->inputSoundStart()) /
                                                 m_audio.front()->sampleRate() -
                                             start,
                                         0.0});
    m_clipsLength += pictureEnd;
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
