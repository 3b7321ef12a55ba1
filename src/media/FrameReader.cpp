#include "FrameReader.h"

#include "VideoInput.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

using namespace media;

namespace {

// A jump ahead of up to this many pictures decodes on rather than seeks: what playing drops
// when decoding falls behind.
constexpr int kDecodeOnLimit = 12;
// Seeks to earlier keyframes tried when a seek lands past the one asked for (a transport stream
// has no index and seeks by its timestamps) before reading again from the start.
constexpr int kSeekTries = 3;
// A preview shows every picture: scaling must be quick rather than finest.
constexpr int kScalerFlags = SWS_BILINEAR;

// A video packet as the file stores it, in decoding order.
struct StoredPacket
{
    int64_t time = 0; // presentation time, else decoding time
    int64_t dts = AV_NOPTS_VALUE;
    bool keyframe = false;
};

int64_t timeOf(const AVPacket& packet)
{
    return packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
}

} // namespace

struct FrameReader::Decoding
{
    QString path;
    const std::atomic_bool* stop = nullptr;
    std::unique_ptr<VideoInput> input;
    PacketPtr packet{av_packet_alloc()};
    FramePtr frame{av_frame_alloc()};
    FramePtr last{av_frame_alloc()};
    SwsContext* scaler = nullptr;

    std::vector<StoredPacket> packets;
    std::unordered_map<int64_t, int> packetAt; // by time
    std::vector<int> keyframes;                // packet numbers
    std::vector<int64_t> frameTimes;           // in showing order
    std::vector<int> packetOfFrame;
    std::vector<int> startOfFrame; // the keyframe's packet to decode picture n from

    int position = -1;
    // The number of the packet the decoder gets next, -1 when unknown.
    int nextPacket = -1;
    // The decoder holds no state a following picture could be decoded on from.
    bool mustSeek = true;

    ~Decoding() { sws_freeContext(scaler); }

    bool open()
    {
        input = VideoInput::open(path, stop, [](AVCodecContext& decoder) {
            decoder.thread_count = 0; // one per core: stepping and playing want throughput
        });
        if (!input || !packet || !frame || !last)
            return false;
        // AVI stores no presentation times: with B-pictures they are worked out from the decoding
        // times of the packets that follow.
        input->format()->flags |= AVFMT_FLAG_GENPTS;
        // Packets of other streams are then skipped, not read.
        for (unsigned i = 0; i < input->format()->nb_streams; ++i)
            if (int(i) != input->videoIndex())
                input->format()->streams[i]->discard = AVDISCARD_ALL;
        position = -1;
        nextPacket = 0;
        mustSeek = false;
        return true;
    }

    bool stopped() const { return stop && *stop; }

    void index(ClipTimeline& timeline)
    {
        const int videoIndex = input->videoIndex();
        std::vector<std::pair<int64_t, int>> shown; // time, packet
        int64_t lastDuration = 0;
        while (av_read_frame(input->format(), packet.get()) >= 0) {
            if (packet->stream_index == videoIndex) {
                int64_t time = timeOf(*packet);
                if (time == AV_NOPTS_VALUE) // counted on from the one before
                    time = packets.empty() ? 0 : packets.back().time + lastDuration;
                lastDuration = packet->duration;
                const int number = static_cast<int>(packets.size());
                packets.push_back({time, packet->dts, (packet->flags & AV_PKT_FLAG_KEY) != 0});
                packetAt.emplace(time, number);
                // An edit list's cut: decoded for what follows, never shown.
                if (!(packet->flags & AV_PKT_FLAG_DISCARD))
                    shown.emplace_back(time, number);
            }
            av_packet_unref(packet.get());
        }
        if (stopped() || shown.empty())
            return;
        mustSeek = true;
        std::sort(shown.begin(), shown.end());
        shown.erase(std::unique(shown.begin(), shown.end(),
                                [](const auto& a, const auto& b) { return a.first == b.first; }),
                    shown.end());

        // Where each packet's picture is decoded from: the keyframe before it. A leading
        // picture of an open group needs the group before: decoding tries it next.
        std::vector<int> startOfPacket(packets.size(), 0);
        for (int number = 0; number < int(packets.size()); ++number) {
            if (packets[number].keyframe)
                keyframes.push_back(number);
            startOfPacket[number] = keyframes.empty() ? 0 : keyframes.back();
        }

        const AVRational base = input->video()->time_base;
        const int64_t first = shown.front().first;
        const auto ms = [&](int64_t time) { return av_rescale_q(time - first, base, {1, 1000}); };
        for (const auto& [time, number] : shown) {
            frameTimes.push_back(time);
            packetOfFrame.push_back(number);
            startOfFrame.push_back(startOfPacket[number]);
            timeline.frameMs << ms(time);
        }
        // The last picture lasts as long as the last packet says, else as long as the one before.
        int64_t lastLength = lastDuration;
        if (lastLength <= 0 && frameTimes.size() > 1)
            lastLength = frameTimes.back() - frameTimes[frameTimes.size() - 2];
        timeline.durationMs = ms(frameTimes.back() + lastLength);
    }

    int frameOf(int64_t time, int before) const
    {
        if (time == AV_NOPTS_VALUE)
            return before + 1;
        const auto at = std::lower_bound(frameTimes.begin(), frameTimes.end(), time);
        return static_cast<int>(at - frameTimes.begin());
    }

    // Passed: the decoder gave a later picture first, the one asked for was lost.
    enum class Outcome
    {
        Reached,
        Passed,
        Overshot,
        Failed
    };

    // Decodes on to picture target. After a seek, packets are skipped up to the first keyframe,
    // which must be no later than packet latestStart.
    Outcome decodeTo(int target, int latestStart = -1)
    {
        AVCodecContext* decoder = input->decoder();
        bool awaitingKeyframe = latestStart >= 0;
        bool draining = false;
        int decoded = position;
        while (!stopped()) {
            const int received = avcodec_receive_frame(decoder, frame.get());
            if (received == 0) {
                decoded = frameOf(frame->best_effort_timestamp, decoded);
                if (decoded >= target) {
                    std::swap(frame, last);
                    position = decoded;
                    return decoded == target ? Outcome::Reached : Outcome::Passed;
                }
                continue;
            }
            if (received != AVERROR(EAGAIN) || draining)
                break;
            if (av_read_frame(input->format(), packet.get()) < 0) {
                draining = true;
                avcodec_send_packet(decoder, nullptr);
                continue;
            }
            if (packet->stream_index == input->videoIndex() && awaitingKeyframe &&
                (packet->flags & AV_PKT_FLAG_KEY)) {
                const auto known = packetAt.find(timeOf(*packet));
                if (known == packetAt.end() || known->second > latestStart) {
                    av_packet_unref(packet.get());
                    return Outcome::Overshot;
                }
                awaitingKeyframe = false;
                nextPacket = known->second;
            }
            if (packet->stream_index == input->videoIndex() && !awaitingKeyframe) {
                // On the way to the picture, one that no other refers to need not be decoded.
                decoder->skip_frame = nextPacket >= 0 && nextPacket < packetOfFrame[target]
                                          ? AVDISCARD_NONREF
                                          : AVDISCARD_DEFAULT;
                if (nextPacket >= 0)
                    ++nextPacket;
                avcodec_send_packet(decoder, packet.get()); // a damaged packet costs a picture
            }
            av_packet_unref(packet.get());
        }
        // The decoder is drained or failed: only a seek brings it back.
        mustSeek = true;
        position = -1;
        nextPacket = -1;
        return Outcome::Failed;
    }

    // The keyframe's time as the file's own index names it: decoding time in MP4, presentation
    // time in Matroska. Without an index the demuxer searches by decoding time.
    int64_t seekTime(const StoredPacket& key) const
    {
        AVStream* video = input->video();
        for (const int64_t time : {key.dts, key.time}) {
            const int entry = av_index_search_timestamp(video, time, AVSEEK_FLAG_BACKWARD);
            const AVIndexEntry* indexed = avformat_index_get_entry(video, entry);
            if (time != AV_NOPTS_VALUE && indexed && indexed->timestamp == time &&
                (indexed->flags & AVINDEX_KEYFRAME))
                return time;
        }
        return key.dts != AV_NOPTS_VALUE ? key.dts : key.time;
    }

    bool seekTo(int keyframePacket)
    {
        if (av_seek_frame(input->format(), input->videoIndex(), seekTime(packets[keyframePacket]),
                          AVSEEK_FLAG_BACKWARD) < 0)
            return false;
        avcodec_flush_buffers(input->decoder());
        position = -1; // the last picture stays, but the decoder has moved on
        nextPacket = -1;
        mustSeek = false;
        return true;
    }

    bool decodeFromKeyframe(int target)
    {
        const int start = startOfFrame[target];
        auto key = std::upper_bound(keyframes.begin(), keyframes.end(), start);
        for (int tries = 0; tries < kSeekTries && key != keyframes.begin() && !stopped(); ++tries) {
            --key;
            if (!seekTo(*key))
                break;
            // A picture that refers past its keyframe (an open group's leading picture, or one
            // after it that a damaged stream or the decoder's recovery loses) needs an earlier
            // group.
            if (decodeTo(target, start) == Outcome::Reached)
                return true;
        }
        // Read again from the start, as at the first picture; the nearest picture after a lost
        // one will do.
        if (stopped() || !open())
            return false;
        const Outcome outcome = decodeTo(target);
        return outcome == Outcome::Reached || outcome == Outcome::Passed;
    }

    bool decodeOnTo(int target)
    {
        if (mustSeek || position < 0 || target <= position)
            return false;
        if (target - position > kDecodeOnLimit && startOfFrame[target] > packetOfFrame[position])
            return false;
        return decodeTo(target) == Outcome::Reached;
    }
};

FrameReader::FrameReader(const QString& path, const std::atomic_bool* stop)
    : m_decoding(std::make_unique<Decoding>())
{
    m_decoding->path = path;
    m_decoding->stop = stop;
    if (m_decoding->open())
        m_decoding->index(m_timeline);
    if (m_timeline.frameMs.isEmpty())
        m_decoding.reset();
}

FrameReader::~FrameReader() = default;

bool FrameReader::isOpen() const
{
    return m_decoding != nullptr;
}

int FrameReader::position() const
{
    return m_decoding ? m_decoding->position : -1;
}

QImage FrameReader::picture(int frame, QSize box)
{
    if (!m_decoding || frame < 0 || frame >= frameCount() || box.isEmpty())
        return {};
    Decoding& decoding = *m_decoding;
    const bool shownLast = frame == decoding.position && decoding.last->width > 0;
    if (!shownLast && !decoding.decodeOnTo(frame) && !decoding.decodeFromKeyframe(frame))
        return {};
    return decoding.input->shownPicture(*decoding.last, box, kScalerFlags, &decoding.scaler);
}

QImage FrameReader::next(QSize box)
{
    return picture(position() + 1, box);
}
