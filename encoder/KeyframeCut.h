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

// Where a copy can cut an input around a part. Seconds from the input's first picture.
struct Keyframes
{
    // When each keyframe is shown, in order: at least those from the last at or before the part's
    // start up to the first at or after its end.
    std::vector<double> shown;
    // Where the pictures decoded before each keyframe end, in the same order; a part that ends
    // before the keyframe ends there. That is the keyframe's own time but in an open group of
    // pictures, whose first pictures are shown before its keyframe, decoded after it and lean on
    // it.
    std::vector<double> endBefore;
    // Where the input's pictures end, when it was read to its end.
    std::optional<double> inputEnd;
};

// The input's keyframes from the last at or before from up to the first at or after until.
// Throws EncoderError as openInput does.
Keyframes keyframeTimes(const std::string& path, double from, double until);

// The in point goes to the keyframe nearest it, never before the input's start. The out point
// goes to the nearest place where pictures end before a keyframe, or to the input's end (where
// its pictures were read to end, else length; 0 when unknown) when that is nearer; one at or
// past the input's end simply is the input's end. A part never ends where it begins: it keeps
// the keyframe after its start.
KeyframeCut cutAtKeyframes(const InputPart& part, const Keyframes& keyframes, double length);

} // namespace asapi
