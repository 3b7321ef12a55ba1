#pragma once

#include "AudioTimeline.h"
#include "Chapters.h"
#include "FrameWorker.h"
#include "OutputFile.h"
#include "OutputPlan.h"
#include "StatusReporter.h"
#include "VideoNormaliser.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace asapi {

// The sound's encoder as the plan asks for it, for that muxer. Throws EncoderError.
CodecContextPtr openAudioEncoder(const OutputPlan& plan, const AVOutputFormat* format);
// What the sound is made into for that encoder. The encoder's start-up delay gives its first
// packets negative times. Containers without edit lists would move the whole file, and AVI would
// gain empty frames. There the delay is played as lead-in in place of the first input's first
// few milliseconds of sound, so that sound and picture stay in step.
AudioTarget audioTargetFor(const AVCodecContext* encoder, const AVOutputFormat* format,
                           Ratio videoRate);

// The encoders and the muxer of the output file. Each sound track is encoded on a thread of its
// own, so that it runs beside the picture's encoder.
class OutputWriter
{
public:
    // Opens the encoders; the file is not touched yet. Throws EncoderError.
    explicit OutputWriter(const OutputPlan& plan);
    ~OutputWriter();
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    VideoTarget videoTarget() const;
    AudioTarget audioTarget() const;

    // Starts the file, which stands at the path only once finish() succeeds. Throws EncoderError,
    // the stop error when a stop cut the open of a FIFO short.
    void create(const std::string& path);
    // Throws EncoderError, for audio also an error of the sound's thread.
    void writeVideo(AVFrame* frame);
    void writeAudio(FramePtr frame, int soundTrack = 0);
    // The chapters the file gets at its end, where its container takes them.
    void setChapters(std::vector<Chapter> chapters) { m_chapters = std::move(chapters); }
    // Drains the encoders, writes the index and puts the file in place as placement says;
    // false when a file that stood there was kept and this one dropped (see OutputFile::commit).
    // beforePlacing hears of the complete file first. Throws EncoderError.
    bool finish(Placement placement, const BeforePlacing& beforePlacing = {});
    // Drops what was written; a file already at the output path stays as it was.
    void discard();

    int framesWritten() const { return m_framesWritten; }
    // The figures for the status line, the elapsed time left to the caller.
    StatusFigures figures() const;

private:
    void openVideoEncoder();
    void encode(AVCodecContext* encoder, AVStream* stream, const AVFrame* frame, AVPacket* packet,
                std::atomic<std::int64_t>& bytes);
    void close();

    OutputPlan m_plan;
    const AVOutputFormat* m_format = nullptr;
    std::string m_path;
    // A sound track: all are encoded alike, each on a thread of its own.
    struct SoundTrack
    {
        CodecContextPtr encoder;
        PacketPtr packet;
        AVStream* stream = nullptr;
        std::unique_ptr<FrameWorker> worker;
    };

    CodecContextPtr m_video;
    PacketPtr m_videoPacket;
    std::vector<SoundTrack> m_sound; // the first is the join's sound
    // The file goes after the muxer that writes into it.
    std::unique_ptr<OutputFile> m_file;
    OutputContextPtr m_muxer;
    AVStream* m_videoStream = nullptr;
    mutable std::mutex m_muxerMutex;
    int m_framesWritten = 0;
    std::vector<Chapter> m_chapters;
    std::optional<ReservedChapters> m_reservedChapters;
    // The last picture encoded, held so that its repeats are known by their picture; and the
    // time of its last repeat not yet written, if any.
    FramePtr m_lastPicture;
    std::optional<std::int64_t> m_lastRepeatTime;
    // The first track's, counted as handed to the sound's thread, so that the status line's A-V
    // follows the input.
    std::int64_t m_samplesWritten = 0;
    std::atomic<std::int64_t> m_videoBytes = 0;
    std::atomic<std::int64_t> m_audioBytes = 0;
    int m_audioLeadIn = 0; // samples
};

} // namespace asapi
