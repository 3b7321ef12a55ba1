#pragma once

#include "FfmpegPointers.h"
#include "Ratio.h"

#include <cstdint>
#include <functional>
#include <string>

namespace asapi {

struct AudioTarget
{
    int sampleRate = 44100;
    AVChannelLayout layout{};
    AVSampleFormat format = AV_SAMPLE_FMT_S16;
    int frameSize = 1152;
    Ratio videoRate;
    int leadIn = 0; // samples the encoder puts before the sound, counted as part of it
};

// The output's sound track: every input's audio resampled and placed against that input's
// video, padded with silence or cut to the input's video length, so that sound and picture stay
// in step at every boundary. Audio is handed on only as far as the video has come.
class AudioTimeline
{
public:
    using Emit = std::function<void(FramePtr)>;

    AudioTimeline(const AudioTarget& target, Emit emit, Warn warn);

    // videoFrames: the output's video frames before this input; the path names it in messages
    void beginInput(const std::string& path, bool hasAudio, std::int64_t videoFrames);
    // start in seconds from the input's origin
    void push(const AVFrame* decoded, double start);
    // The video has reached this many frames in all; an input without sound gets silence.
    void videoReached(std::int64_t videoFrames);
    void endInput(std::int64_t videoFrames);
    // Hands on the last, shorter frame.
    void finish();

    std::int64_t samplesFor(std::int64_t videoFrames) const;
    // Where the current input's own sound begins in the output, in samples: at its picture's
    // start when it has none, or when the sound began before the picture and was cut there.
    std::int64_t inputSoundStart() const { return m_inputSoundStart; }
    int sampleRate() const { return m_target.sampleRate; }

private:
    void configureResampler(const AVFrame* decoded);
    void convert(const AVFrame* decoded);
    void append(uint8_t* const* data, int samples);
    void appendSilence(std::int64_t samples, std::int64_t limit);
    void release(std::int64_t limit);
    void emitFrame(int samples);
    void truncateTo(std::int64_t total);

    AudioTarget m_target;
    Emit m_emit;
    Warn m_warn;
    ResamplerPtr m_resampler;
    AVChannelLayout m_resamplerLayout{};
    int m_resamplerFormat = -1;
    int m_resamplerRate = 0;
    AudioFifoPtr m_fifo;
    std::int64_t m_appended = 0; // samples of the output so far: handed on plus waiting
    std::int64_t m_emitted = 0;
    std::int64_t m_inputStart = 0;
    std::int64_t m_inputSoundStart = 0;
    std::int64_t m_skip = 0; // converted samples still to drop, from before the origin
    std::string m_inputPath;
    bool m_inputHasAudio = false;
    bool m_placed = false;
};

} // namespace asapi
