#pragma once

#include "InputPart.h"

#include <optional>
#include <string>
#include <vector>

namespace asapi {

// A point of a part that a copy moved to where its pictures can be cut: seconds from the
// input's first picture.
struct MovedPoint
{
    bool outPoint = false;
    double from = 0.0;
    double to = 0.0;
    bool toEnd = false; // the out point moved to the input's end, not to a keyframe
};

// Where a copied part begins and ends: a copy can begin only on a keyframe, and ends before
// one or at the input's end. Seconds from the input's first picture.
struct KeyframeCut
{
    double start = 0.0;
    std::optional<double> end; // the keyframe the part ends before; none: the input's end
    std::vector<MovedPoint> moved;
};

// The times at which the input's keyframes are shown, in order: at least those from the last at
// or before from, up to the first at or after until. Throws EncoderError as openInput does.
std::vector<double> keyframeTimes(const std::string& path, double from, double until);

// Each point goes to the keyframe nearest it, never before the input's start; the out point may
// go to the input's end (length, 0 when unknown) when that is nearer. A part never ends where it
// begins: it keeps the keyframe after its start.
KeyframeCut cutAtKeyframes(const InputPart& part, const std::vector<double>& keyframes,
                           double length);

} // namespace asapi
