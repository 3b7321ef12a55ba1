#pragma once

#include <algorithm>
#include <limits>
#include <optional>

namespace asapi {

// The part of an input a run takes (-ss and -endpos in its braces), in seconds of the input's
// own time line, counted from its first picture: the pictures that start from the part's start
// on and before its end, and the sound of the same span. A picture that starts before the part
// and is still shown well into it opens the part.
struct InputPart
{
    // Matroska stores times to the millisecond: a frame meant to start on a point may be
    // stamped up to half of one before it.
    static constexpr double tolerance = 0.001;

    double start = 0.0;
    std::optional<double> length; // none: to the input's end

    bool wholeInput() const { return start <= 0.0 && !length; }
    double end() const
    {
        return length ? start + *length : std::numeric_limits<double>::infinity();
    }
    // Nothing that starts here or later is taken.
    bool endedBy(double time) const { return time >= end() - tolerance; }
    // A time before the part; none before a part that starts with the input.
    bool startsBefore(double time) const { return start > 0.0 && time < start - tolerance; }
    // Sound that ends before the part has nothing of it; what overlaps its start is cut there.
    bool takesSound(double soundStart, double duration) const
    {
        return soundStart + duration > start && !endedBy(soundStart);
    }
    // How long the part of an input this long lasts; 0 when unknown. A length stated shorter
    // than the part's start cannot be right (a clock that started again): the part is believed.
    double lengthOf(double inputLength) const
    {
        const double rest = inputLength - start;
        if (!length)
            return std::max(rest, 0.0);
        return rest > 0 ? std::min(*length, rest) : *length;
    }
};

} // namespace asapi
