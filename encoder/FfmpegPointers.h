#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "EncoderError.h"

#include <memory>
#include <string>

namespace asapi {

struct InputContextDeleter
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
// The muxer's I/O context is the output file's own: it goes with the file, not the muxer.
struct OutputContextDeleter
{
    void operator()(AVFormatContext* context) const
    {
        context->pb = nullptr;
        avformat_free_context(context);
    }
};
struct CodecContextDeleter
{
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerDeleter
{
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct ResamplerDeleter
{
    void operator()(SwrContext* context) const { swr_free(&context); }
};
struct AudioFifoDeleter
{
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};

using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerDeleter>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerDeleter>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;

inline std::string errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Throws EncoderError with what and FFmpeg's words for the code when code is negative.
inline int check(int code, const std::string& what)
{
    if (code < 0)
        throw EncoderError{what + ": " + errorText(code) + "."};
    return code;
}

// What an FFmpeg allocation returned. Throws EncoderError when it could not allocate.
template <typename T> T* allocated(T* object)
{
    if (!object)
        throw EncoderError{"Out of memory."};
    return object;
}

inline FramePtr makeFrame()
{
    return FramePtr(allocated(av_frame_alloc()));
}

inline PacketPtr makePacket()
{
    return PacketPtr(allocated(av_packet_alloc()));
}

// A track of the output, marked as the one to play: Matroska marks a track without the mark as
// not to be played by default.
inline AVStream* newTrack(AVFormatContext* muxer)
{
    AVStream* track = allocated(avformat_new_stream(muxer, nullptr));
    track->disposition |= AV_DISPOSITION_DEFAULT;
    return track;
}

} // namespace asapi
