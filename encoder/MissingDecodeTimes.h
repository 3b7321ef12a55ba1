#pragma once

#include "FfmpegPointers.h"
#include "Ratio.h"

#include <deque>
#include <functional>

namespace asapi {

// Matroska stores no decoding times. libavformat derives them from the pictures' own times, but
// only once it has seen as many pictures as the stream reorders: a stream with B-frames begins
// with pictures that have none. Those are held until the first picture that has one, and are
// decoded a frame apart each before it.
class MissingDecodeTimes
{
public:
    using Take = std::function<void(AVPacket*)>;

    // Packets go on to take in their order, each with a decoding time where it can be known.
    MissingDecodeTimes(AVRational timeBase, Ratio frameRate, Take take);

    void push(AVPacket* packet);
    // Hands on what is still held: the stream ended before any picture had a decoding time.
    void finish();

private:
    void release(std::int64_t next);
    std::int64_t frames(std::int64_t count) const;

    AVRational m_timeBase;
    Ratio m_frameRate;
    Take m_take;
    std::deque<PacketPtr> m_held;
    bool m_timed = false; // a decoding time came: nothing is held any more
};

} // namespace asapi
