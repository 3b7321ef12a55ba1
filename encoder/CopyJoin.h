#pragma once

#include "AudioTimeline.h"
#include "CarriedTracks.h"
#include "Chapters.h"
#include "ClockJumps.h"
#include "CommandLine.h"
#include "CopyInputs.h"
#include "CutPictures.h"
#include "JoinReadBack.h"
#include "OutputFile.h"
#include "OutputPlan.h"
#include "StatusReporter.h"
#include "StreamDecoder.h"
#include "SubtitleConverter.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace asapi {

// What a join that copies the pictures writes.
struct CopyPlan
{
    Container container = vantomel::containerWithExtension("mp4");
    std::string muxer;
    bool audioCopied = false;
    bool withAudio = false; // copied sound needs some; encoded sound is silence where none
    // The sound tracks first, the first of them the join's sound (each input's audio()), then
    // subtitles and data tracks.
    std::vector<CarriedTrack> tracks;
    // Copied sound of an input that differs from its track's is encoded again to match it:
    // [sound track][input], and why, one reason for each such input (empty for the others).
    std::vector<std::vector<bool>> soundEncoded;
    std::vector<std::string> soundEncodedReasons;
    // What the output's tracks besides the picture hold, numbered from 2, and those dropped as
    // the container cannot keep them.
    std::vector<vantomel::TrackLine> trackLines;
    std::vector<vantomel::TrackLine> dropped;
    std::vector<std::string> droppedSentences; // why each was dropped
    // How each sound track is encoded, [sound track]: the audio fields of a plan; nothing where
    // it is copied. A copied track whose inputs' sound cannot follow each other, where none can
    // be encoded again to match, is encoded whole (its line says why).
    std::vector<std::optional<OutputPlan>> soundEncoding;
    double expectedDuration = 0.0;
};

// Throws a usage EncoderError when the container cannot hold what is copied or encoded, and the
// cannot-copy-sound one when a copied sound track of an input cannot follow the others'.
// tracks: as carryTracks gave them.
CopyPlan planCopy(const CommandLineOptions& options, const std::vector<CopyInput>& inputs,
                  std::vector<CarriedTrack> tracks);

// Joins the inputs' picture packets as they are, one input after the other on one time line:
// each input starts where the picture of the one before ended. Copied sound follows its picture
// in whole packets, cut or spaced at each input's end so that it never drifts from the picture by
// more than a packet; encoded sound is decoded from every input, cut or padded to each input's
// picture and encoded once over the whole join.
class CopyJoin
{
public:
    using Report = std::function<void(const StatusFigures&)>;

    CopyJoin(const CopyPlan& plan, std::vector<CopyInput>& inputs, Warn warn);
    ~CopyJoin();
    CopyJoin(const CopyJoin&) = delete;
    CopyJoin& operator=(const CopyJoin&) = delete;

    // Starts the file, which stands at the path only once finish() succeeds. Throws EncoderError.
    void create(const std::string& path);
    // Reads every input to its end, or until a stop is asked for; report hears of each picture.
    // Throws EncoderError.
    void run(const Report& report);
    bool cutShort() const { return m_cutShort; }
    int framesWritten() const { return m_framesWritten; }
    // Writes the rest of the sound, the chapters and the index and puts the file in place as
    // OutputWriter::finish does. Throws EncoderError.
    bool finish(Placement placement, const BeforePlacing& beforePlacing = {});
    // Drops what was written; a file already at the output path stays as it was.
    void discard();

    StatusFigures figures() const;
    const std::vector<JoinPoint>& joinPoints() const { return m_joinPoints; }
    // What the join meant to write, for reading it back.
    WrittenJoin written() const;

private:
    // Copied sound is placed in samples (next too): a time base coarser than that, as Matroska's
    // milliseconds, would round every packet's length.
    struct HeldAudio
    {
        PacketPtr packet;
        std::int64_t position; // where it goes, in samples
        std::int64_t duration; // in samples
    };
    // A sound track of the output, copied or encoded.
    struct SoundTrack
    {
        std::vector<int> streams; // of each input
        AVStream* stream = nullptr;
        std::int64_t end = 0; // of the sound written, in the stream's time base
        // Copied sound:
        std::int64_t next = 0; // where the next packet may begin
        std::deque<HeldAudio> held;
        PacketPtr silence; // for gaps; made at the first gap
        bool silenceTried = false;
        // Encoded sound:
        CodecContextPtr encoder;
        std::optional<AudioTimeline> timeline;
        // Copied sound, while an input's own is encoded again to match it: its time line, on
        // the part's time from 0.
        AudioTimeline* matching = nullptr;
    };
    // A subtitle or data track, whose packets are copied with their times moved to each part.
    struct TimedTrack
    {
        std::vector<int> streams; // of each input
        AVStream* stream = nullptr;
        std::unique_ptr<SubtitleConverter> converter; // for subtitles kept in another codec
    };
    struct PartSound;

    void addStreams();
    AVStream* addSoundStream(const CarriedTrack& carried);
    void copyInput(std::size_t index, const Report& report);
    void writeVideo(AVPacket* packet, const AVStream* from, std::int64_t origin);
    // A packet of copied sound, whose times count in timeBase from origin; frameSize: the
    // samples of each of its codec's packets, 0 when it varies.
    void holdAudio(SoundTrack& track, AVPacket* packet, AVRational timeBase, int frameSize,
                   std::int64_t origin, const std::string& path);
    void encodeToMatch(SoundTrack& track, AVCodecContext* encoder, const AVFrame* frame,
                       const std::string& path);
    void holdSilence(SoundTrack& track, std::int64_t samples, const std::string& path,
                     bool adtsHeaders);
    void writeHeldAudio(SoundTrack& track, std::int64_t end, bool partEnds);
    void writeTimed(const TimedTrack& track, AVPacket* packet, const AVStream* from,
                    std::int64_t origin, std::optional<std::int64_t> end);
    static AVRational soundSamples(const SoundTrack& track);
    void encodeAudio(SoundTrack& track, const AVFrame* frame);
    void write(AVPacket* packet);
    double videoSeconds(std::int64_t time) const;

    CopyPlan m_plan;
    std::vector<CopyInput>& m_inputs;
    Warn m_warn;
    std::string m_path;
    std::unique_ptr<OutputFile> m_file;
    OutputContextPtr m_muxer;
    AVStream* m_videoStream = nullptr;
    // The first is the join's sound: its times are reported and read back.
    std::vector<std::unique_ptr<SoundTrack>> m_sound;
    std::vector<SoundTrack*> m_soundOfStream; // by the output's stream index
    std::vector<TimedTrack> m_timed;
    PacketPtr m_encodedPacket;
    std::optional<CutPictures> m_cutPictures;

    // The output's time line, in its streams' time bases.
    std::int64_t m_partStart = 0;
    std::int64_t m_videoEnd = 0;
    std::int64_t m_lastVideoTime = AV_NOPTS_VALUE; // the last picture's decoding time
    std::int64_t m_pictureDuration = 0;            // the current input's, for packets without one
    std::optional<std::int64_t> m_partSoundStart;  // of the join's sound
    std::vector<std::uint8_t> m_inBand;            // for the current input's next keyframe
    // The last keyframe came with the parameter sets of pictures encoded again.
    bool m_ownSetsInEffect = false;
    // The current input's.
    std::optional<ClockJumps> m_clockJumps;

    bool m_cutShort = false;
    int m_framesWritten = 0;
    std::int64_t m_videoBytes = 0;
    std::int64_t m_audioBytes = 0;
    std::vector<Chapter> m_chapters;
    std::optional<ReservedChapters> m_reservedChapters;
    std::vector<JoinPoint> m_joinPoints;
    WrittenJoin m_written; // the parts' shapes and lengths
};

} // namespace asapi
