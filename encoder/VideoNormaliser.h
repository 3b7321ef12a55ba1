#pragma once

#include "FfmpegPointers.h"
#include "PictureLayout.h"
#include "Ratio.h"

#include <cstdint>
#include <functional>
#include <utility>

namespace asapi {

struct VideoTarget
{
    int width = 0;
    int height = 0;
    AVPixelFormat pixelFormat = AV_PIX_FMT_YUV420P;
    AVRational pixelAspect{1, 1};
    Ratio frameRate;
};

// Turns one input's decoded pictures into the output's: upright, scaled and placed as the layout
// says (black around it), in the encoder's pixel format, and at the output rate, pictures repeated
// or dropped. The input's video length in output frames is what this emits, and the audio is cut to
// match it.
class VideoNormaliser
{
public:
    using Emit = std::function<void(FramePtr)>;

    // layout: of the target's size. longestGap: the longest a picture is repeated to fill a gap,
    // in seconds; what is longer is cut out of the time line.
    VideoNormaliser(const VideoTarget& target, const PictureLayout& layout, int rotation,
                    double longestGap, Emit emit);

    // start and duration in seconds from the input's origin
    void push(const AVFrame* decoded, double start, double duration);
    // The last picture is shown to its end.
    void finish();
    std::int64_t framesEmitted() const { return m_emitted; }

private:
    void prepareScaler(const AVFrame* decoded, int width, int height);
    FramePtr convert(const AVFrame* decoded);
    void emitUntil(double seconds);
    void emitPending();

    VideoTarget m_target;
    PictureLayout m_layout;
    int m_rotation;
    std::int64_t m_longestGap; // frames
    Emit m_emit;
    ScalerPtr m_scaler;
    int m_sourceWidth = 0;
    int m_sourceHeight = 0;
    int m_sourceFormat = -1;
    std::pair<AVColorSpace, AVColorRange> m_sourceColours{};
    FramePtr m_pending;        // the decoded picture last pushed
    FramePtr m_pendingPicture; // and what it was converted to, once it is shown
    double m_pendingEnd = 0.0;
    std::int64_t m_emitted = 0;
    std::int64_t m_cut = 0; // frames cut out of gaps that were too long
};

} // namespace asapi
