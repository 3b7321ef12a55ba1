#include "KeyframeCut.h"

#include "InputProbe.h"
#include "StopSignal.h"
#include "StreamDecoder.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace asapi {
namespace {

// Nearest by time; on a tie, the earlier.
double nearest(double target, const std::vector<double>& candidates)
{
    double best = candidates.front();
    for (const double candidate : candidates)
        if (std::abs(candidate - target) < std::abs(best - target) - InputPart::tolerance)
            best = candidate;
    return best;
}

} // namespace

Keyframes keyframeTimes(const std::string& path, double from, double until)
{
    const OpenedInput input = openInput(path);
    AVFormatContext* context = input.context.get();
    readOnlyStreams(context, input.videoIndex);
    AVStream* video = context->streams[input.videoIndex];
    const std::int64_t origin = pictureOrigin(context, video);
    seekToPart(context, input.videoIndex, origin, from, path);
    const AVRational rate = av_guess_frame_rate(context, video, nullptr);
    const double frame = rate.num > 0 && rate.den > 0 ? av_q2d(av_inv_q(rate)) : 0.0;
    std::vector<std::pair<double, double>> found; // each keyframe's time and end before
    // Whether the pictures read since the last keyframe are all shown before it: they open its
    // group, lean on it and cannot be kept by a part that ends before it.
    bool leadingPictures = false;
    std::optional<double> shownEnd; // of the pictures read so far
    bool stoppedBeforeEnd = false;
    // Damage is told of once, when the join reads the part.
    readPackets(
        context, path, [](const std::string&) {},
        [&](AVPacket* packet) {
            const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (packet->stream_index != input.videoIndex || stamp == AV_NOPTS_VALUE)
                return true;
            const double time = (stamp - origin) * av_q2d(video->time_base);
            const bool key = packet->flags & AV_PKT_FLAG_KEY;
            const bool leading = leadingPictures && !key && time < found.back().first;
            if (leading)
                found.back().second = std::min(found.back().second, time);
            // Up to the keyframe at or after until and the pictures that open its group.
            stoppedBeforeEnd = !leading && !found.empty() && found.back().first >= until;
            if (stoppedBeforeEnd)
                return false;
            leadingPictures = leading || key;
            if (key)
                found.emplace_back(time, time);
            const double end =
                time + (packet->duration > 0 ? packet->duration * av_q2d(video->time_base) : frame);
            shownEnd = std::max(shownEnd.value_or(end), end);
            return true;
        });
    std::sort(found.begin(), found.end());
    Keyframes keyframes;
    for (const auto& [time, endBefore] : found) {
        keyframes.shown.push_back(time);
        keyframes.endBefore.push_back(endBefore);
    }
    if (!stoppedBeforeEnd && !stopRequested())
        keyframes.inputEnd = shownEnd;
    return keyframes;
}

KeyframeCut cutAtKeyframes(const InputPart& part, const Keyframes& keyframes, double length)
{
    KeyframeCut cut;
    std::vector<double> starts{0.0};
    for (const double time : keyframes.shown)
        if (time > InputPart::tolerance)
            starts.push_back(time);
    cut.start = part.start > 0.0 ? nearest(part.start, starts) : 0.0;
    if (std::abs(cut.start - part.start) > InputPart::tolerance)
        cut.moved.push_back(MovedPoint{false, part.start, cut.start, false});
    const double inputEnd = keyframes.inputEnd.value_or(length);
    const bool endKnown = inputEnd > cut.start;
    const double target = part.end();
    if (!part.length || (endKnown && target >= inputEnd - InputPart::tolerance))
        return cut;
    std::vector<double> ends;
    for (std::size_t i = 0; i < keyframes.shown.size(); ++i)
        if (keyframes.shown[i] > cut.start + InputPart::tolerance)
            ends.push_back(keyframes.endBefore[i]);
    if (endKnown)
        ends.push_back(inputEnd);
    if (ends.empty())
        return cut;
    const double end = nearest(target, ends);
    const bool atEnd = endKnown && end >= inputEnd - InputPart::tolerance;
    if (!atEnd)
        cut.end = end;
    if (std::abs(end - target) > InputPart::tolerance)
        cut.moved.push_back(MovedPoint{true, target, end, atEnd});
    return cut;
}

} // namespace asapi
