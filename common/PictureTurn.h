#pragma once

#include <cmath>

namespace vantomel {

// The clockwise turn, 0, 90, 180 or 270, that shows a stored picture upright, from the
// counter-clockwise angle of its display matrix (FFmpeg's av_display_rotation_get; NaN for a
// matrix that is no rotation).
inline int uprightTurn(double counterClockwiseDegrees)
{
    if (std::isnan(counterClockwiseDegrees))
        return 0;
    const int quarter = static_cast<int>(std::lround(-counterClockwiseDegrees / 90.0)) % 4;
    return (quarter + 4) % 4 * 90;
}

} // namespace vantomel
