#include "KeyframeCut.h"

#include "InputProbe.h"
#include "StreamDecoder.h"

#include <algorithm>
#include <cmath>

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

std::vector<double> keyframeTimes(const std::string& path, double from, double until)
{
    const OpenedInput input = openInput(path);
    AVFormatContext* context = input.context.get();
    readOnlyStreams(context, input.videoIndex);
    const AVStream* video = context->streams[input.videoIndex];
    const std::int64_t origin = pictureOrigin(context, video);
    seekToPart(context, input.videoIndex, origin, from, path);
    std::vector<double> times;
    // Damage is told of once, when the join reads the part.
    readPackets(
        context, path, [](const std::string&) {},
        [&](AVPacket* packet) {
            if (packet->stream_index != input.videoIndex || !(packet->flags & AV_PKT_FLAG_KEY))
                return true;
            const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (stamp == AV_NOPTS_VALUE)
                return true;
            const double time = (stamp - origin) * av_q2d(video->time_base);
            times.push_back(time);
            return time < until;
        });
    std::sort(times.begin(), times.end());
    return times;
}

KeyframeCut cutAtKeyframes(const InputPart& part, const std::vector<double>& keyframes,
                           double length)
{
    KeyframeCut cut;
    std::vector<double> starts{0.0};
    for (const double time : keyframes)
        if (time > InputPart::tolerance)
            starts.push_back(time);
    cut.start = part.start > 0.0 ? nearest(part.start, starts) : 0.0;
    if (std::abs(cut.start - part.start) > InputPart::tolerance)
        cut.moved.push_back(MovedPoint{false, part.start, cut.start, false});
    if (!part.length)
        return cut;
    std::vector<double> ends;
    for (const double time : keyframes)
        if (time > cut.start + InputPart::tolerance)
            ends.push_back(time);
    const bool endKnown = length > cut.start;
    if (endKnown)
        ends.push_back(length);
    if (ends.empty())
        return cut;
    const double target = part.end();
    const double end = nearest(target, ends);
    const bool atEnd = endKnown && end >= length - InputPart::tolerance;
    if (!atEnd)
        cut.end = end;
    if (std::abs(end - target) > InputPart::tolerance)
        cut.moved.push_back(MovedPoint{true, target, end, atEnd});
    return cut;
}

} // namespace asapi
