#pragma once

#include "AudioTimeline.h"
#include "CarriedTracks.h"
#include "Chapters.h"
#include "FrameQueue.h"
#include "InputProbe.h"
#include "JoinReadBack.h"
#include "StatusReporter.h"
#include "StreamDecoder.h"
#include "VideoNormaliser.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace asapi {

// Reads the inputs one after another and hands their pictures and sound, normalised to the
// output's shape and on one continuous time line from 0, to the encoding thread.
class JoinedSource
{
public:
    // layouts: one per input; soundTracks: the input streams of each sound track, the first the
    // join's sound. decoderThreads 0: as many as pay for each input's codec
    JoinedSource(const std::vector<InputFacts>& inputs, const std::vector<PictureLayout>& layouts,
                 const std::vector<CarriedTrack>& soundTracks, const VideoTarget& video,
                 const AudioTarget& audio, int decoderThreads, FrameQueue& queue, Warn warn);

    // Runs to the end of the last input, or until a stop is asked for; the input being read
    // then ends where it is, sound and picture together. Throws EncoderError, also when the
    // encoding thread no longer takes frames.
    void run();
    // A stop came before the reading ended, so the inputs may not all have been read to their
    // ends: decided once, when the reading ends. Read it after run() has returned.
    bool cutShort() const { return m_cutShort; }
    // A chapter at the start of every input that reached the output, and the join points
    // between them. Read them after run() has returned.
    const std::vector<Chapter>& chapters() const { return m_chapters; }
    const std::vector<JoinPoint>& joinPoints() const { return m_joinPoints; }
    // What the join meant to write, for reading it back. Read it after run() has returned.
    WrittenJoin written() const;

private:
    // The sound of one track being read from an input.
    struct InputSound
    {
        int index = -1; // the input's stream; -1: none, silence
        CodecContextPtr codec;
        std::optional<StreamDecoder> decoder;
        bool ended = false;
    };

    void readInput(std::size_t index, const InputFacts& input, const PictureLayout& layout);
    // The steps of reading one input. A picture that cannot be decoded makes the input
    // unreadable; a sound that cannot be decoded is left out (its index set to -1), and the
    // input is given silence.
    CodecContextPtr openPictureDecoder(const OpenedInput& opened, const std::string& path);
    CodecContextPtr openSoundDecoder(const OpenedInput& opened, int stream,
                                     const std::string& path);
    // Puts the input's pictures in the output's shape and numbers them on the join's time line.
    VideoNormaliser normaliserFor(const InputFacts& input, const PictureLayout& layout);
    // Decodes the input's part to its end or a stop; the part's pictures and sound are timed
    // from its start. Returns how long its picture is as read, jumps of its clock taken out:
    // its header may count them.
    double decodeInput(const OpenedInput& opened, const InputFacts& input,
                       CodecContextPtr pictureCodec, std::vector<InputSound>& sounds,
                       VideoNormaliser& video);
    // Hands the sound's frames of the part, timed from its start, to its track's time line;
    // ended is set once a frame from the part's end on is read.
    StreamDecoder soundDecoder(const OpenedInput& opened, const InputFacts& input,
                               InputSound& sound, AudioTimeline& timeline);
    // A chapter where the input's first picture landed, and a join point where it is not the
    // first.
    void recordInput(const InputFacts& input, std::int64_t firstFrame, double pictureEnd);
    void send(FrameKind kind, FramePtr frame, int soundTrack = 0);

    const std::vector<InputFacts>& m_inputs;
    const std::vector<PictureLayout>& m_layouts;
    const std::vector<CarriedTrack>& m_soundTracks;
    VideoTarget m_videoTarget;
    int m_decoderThreads;
    FrameQueue& m_queue;
    Warn m_warn;
    // One for each sound track; the first is the join's sound, whose join points are noted.
    std::vector<std::unique_ptr<AudioTimeline>> m_audio;
    std::int64_t m_videoFrames = 0;
    bool m_cutShort = false;
    std::vector<Chapter> m_chapters;
    std::vector<JoinPoint> m_joinPoints;
    double m_clipsLength = 0.0; // seconds of picture read from the inputs
};

} // namespace asapi
