#pragma once

#include "FfmpegPointers.h"
#include "FrameClock.h"

#include <functional>
#include <string>

namespace asapi {

// threads 0: as many as pay for the stream's codec. Nothing when the stream cannot be decoded.
CodecContextPtr openDecoder(const AVStream* stream, int threads);

// Reads an input's packets one at a time, in file order. A damaged spot that a later read gets
// past costs only its own packets; after so many failed reads in a row the rest of the input is
// given up with a warning.
class PacketReader
{
public:
    PacketReader(AVFormatContext* context, std::string path, Warn warn);

    // Hands the next packet to take. False once the input has ended, a stop was asked for, the
    // rest was given up, or take answered that it wants no more.
    bool next(const std::function<bool(AVPacket*)>& take);

private:
    AVFormatContext* m_context;
    std::string m_path;
    Warn m_warn;
    PacketPtr m_packet;
};

// Hands every packet of the input, in file order, to take, as PacketReader reads them, until it
// has no more.
void readPackets(AVFormatContext* context, const std::string& path, const Warn& warn,
                 const std::function<bool(AVPacket*)>& take);

// One stream's decoder: packets in, timed frames out to the clock's handler; damaged packets and
// frames are passed over with a warning.
class StreamDecoder
{
public:
    StreamDecoder(CodecContextPtr decoder, FrameClock clock, double fallbackDuration,
                  const std::string& path, const Warn& warn)
        : m_decoder(std::move(decoder)), m_clock(std::move(clock)),
          m_fallbackDuration(fallbackDuration), m_path(path), m_warn(warn), m_frame(makeFrame())
    {
    }

    void decode(const AVPacket* packet)
    {
        int sent = avcodec_send_packet(m_decoder.get(), packet);
        if (sent == AVERROR(EAGAIN)) {
            drain();
            sent = avcodec_send_packet(m_decoder.get(), packet);
        }
        if (sent < 0 && sent != AVERROR_EOF)
            m_warn("Skipping a damaged packet in " + m_path + ": " + errorText(sent) + ".");
        drain();
    }

    // Drains the decoder at the end.
    void finish()
    {
        decode(nullptr);
        m_clock.finish();
    }

private:
    void drain()
    {
        while (true) {
            const int received = avcodec_receive_frame(m_decoder.get(), m_frame.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return;
            if (received < 0) {
                m_warn("Skipping a damaged frame in " + m_path + ".");
                return;
            }
            const double fallback = m_frame->sample_rate > 0
                                        ? m_frame->nb_samples / double(m_frame->sample_rate)
                                        : m_fallbackDuration;
            m_clock.push(m_frame.get(), fallback);
            av_frame_unref(m_frame.get());
        }
    }

    CodecContextPtr m_decoder;
    FrameClock m_clock;
    double m_fallbackDuration;
    const std::string& m_path;
    const Warn& m_warn;
    FramePtr m_frame;
};

} // namespace asapi
