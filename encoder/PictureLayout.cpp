#include "PictureLayout.h"

#include <algorithm>
#include <cmath>

namespace asapi {
namespace {

int roundUpToEven(int value)
{
    return std::max(2, value + (value & 1));
}

int roundUpTo(int value, int multiple)
{
    return multiple > 1 ? (value + multiple - 1) / multiple * multiple : value;
}

int rounded(double value)
{
    return static_cast<int>(std::lround(value));
}

// The picture as it passes from filter to filter: its stored size, MPlayer's display size, and
// where the input's own picture lies in it.
struct Stage
{
    int width;
    int height;
    double displayWidth;
    double displayHeight;
    double pictureX;
    double pictureY;
    double pictureWidth;
    double pictureHeight;
};

// One side of scale: a positive number as it stands, 0 the display size, -1 the stored size,
// -2 from the other side and the display aspect, -3 from the other side and the stored aspect,
// -(n+8) like -n rounded to a multiple of 16. other is the other side already resolved, or 0.
int scaleSide(int requested, int stored, double display, double storedRatio, double displayRatio,
              int other)
{
    const bool toSixteen = requested <= -8;
    const int rule = toSixteen ? requested + 8 : requested;
    double side = requested;
    if (rule == 0)
        side = display;
    else if (rule == -1)
        side = stored;
    else if (rule == -2)
        side = other > 0 ? other * displayRatio : display;
    else if (rule == -3)
        side = other > 0 ? other * storedRatio : stored;
    else if (rule < 0)
        side = stored;
    if (toSixteen)
        return std::max(16, rounded(side / 16.0) * 16);
    return rounded(side);
}

void scale(Stage& s, const VideoFilter& filter)
{
    const int w = filter.width.value_or(-1);
    const int h = filter.height.value_or(-1);
    const auto fromOther = [](int side) {
        const int rule = side <= -8 ? side + 8 : side;
        return rule == -2 || rule == -3;
    };
    const double storedRatio = static_cast<double>(s.width) / s.height;
    const double displayRatio = s.displayWidth / s.displayHeight;
    int width = 0;
    int height = 0;
    if (fromOther(w) && fromOther(h)) {
        width = s.width;
        height = s.height;
    } else if (fromOther(w)) {
        height = scaleSide(h, s.height, s.displayHeight, 0, 0, 0);
        width = scaleSide(w, s.width, s.displayWidth, storedRatio, displayRatio, height);
    } else {
        width = scaleSide(w, s.width, s.displayWidth, 0, 0, 0);
        height = scaleSide(h, s.height, s.displayHeight, 1 / storedRatio, 1 / displayRatio, width);
    }
    width = roundUpToEven(width);
    height = roundUpToEven(height);
    const double x = static_cast<double>(width) / s.width;
    const double y = static_cast<double>(height) / s.height;
    s.pictureX *= x;
    s.pictureY *= y;
    s.pictureWidth *= x;
    s.pictureHeight *= y;
    // The display keeps its shape and covers at least the new size.
    if (height * s.displayWidth > width * s.displayHeight) {
        s.displayWidth = height * s.displayWidth / s.displayHeight;
        s.displayHeight = height;
    } else {
        s.displayHeight = width * s.displayHeight / s.displayWidth;
        s.displayWidth = width;
    }
    s.width = width;
    s.height = height;
}

void dsize(Stage& s, const VideoFilter& filter)
{
    if (filter.aspect) {
        if (*filter.aspect * s.height > s.width) {
            s.displayWidth = rounded(s.height * *filter.aspect);
            s.displayHeight = s.height;
        } else {
            s.displayHeight = rounded(s.width / *filter.aspect);
            s.displayWidth = s.width;
        }
        return;
    }
    double w = filter.width.value_or(-1);
    double h = filter.height.value_or(-1);
    if (w == 0)
        w = s.displayWidth;
    if (h == 0)
        h = s.displayHeight;
    if (w == -1)
        w = s.width;
    if (h == -1)
        h = s.height;
    if (w == -2)
        w = h * s.displayWidth / s.displayHeight;
    if (w == -3)
        w = h * s.width / s.height;
    if (h == -2)
        h = w * s.displayHeight / s.displayWidth;
    if (h == -3)
        h = w * s.height / s.width;
    if (filter.aspectMethod > -1) {
        // Even methods take w and h as the largest size, odd ones as the smallest; 0 and 1
        // keep the display's shape, 2 and 3 the stored picture's.
        const double shape = filter.aspectMethod & 2 ? static_cast<double>(s.height) / s.width
                                                     : s.displayHeight / s.displayWidth;
        if ((h > w * shape) != bool(filter.aspectMethod & 1))
            h = w * shape;
        else
            w = h / shape;
    }
    s.displayWidth = roundUpTo(rounded(w), filter.round);
    s.displayHeight = roundUpTo(rounded(h), filter.round);
}

void expand(Stage& s, const VideoFilter& filter)
{
    const auto side = [](std::optional<int> requested, int stored) {
        const int value = requested.value_or(-1);
        if (value == -1)
            return stored;
        if (value < -1)
            return stored - value; // a border of that many pixels
        return std::max(value, stored);
    };
    int width = side(filter.width, s.width);
    int height = side(filter.height, s.height);
    if (filter.aspect) {
        const double shape = *filter.aspect * (static_cast<double>(s.width) / s.height) /
                             (s.displayWidth / s.displayHeight);
        if (height < width / shape)
            height = rounded(width / shape);
        else
            width = rounded(height * shape);
    }
    width = roundUpToEven(roundUpTo(width, filter.round));
    height = roundUpToEven(roundUpTo(height, filter.round));
    int x = filter.x;
    int y = filter.y;
    if (x < 0 || x + s.width > width)
        x = (width - s.width) / 2;
    if (y < 0 || y + s.height > height)
        y = (height - s.height) / 2;
    s.pictureX += x & ~1;
    s.pictureY += y & ~1;
    s.displayWidth = s.displayWidth * width / s.width;
    s.displayHeight = s.displayHeight * height / s.height;
    s.width = width;
    s.height = height;
}

// Rounding may push the picture past the edge by a pixel or two.
PictureLayout keptInside(PictureLayout layout)
{
    layout.pictureX = std::min(layout.pictureX, layout.width - layout.pictureWidth) & ~1;
    layout.pictureY = std::min(layout.pictureY, layout.height - layout.pictureHeight) & ~1;
    return layout;
}

} // namespace

PictureLayout layoutPicture(const std::vector<VideoFilter>& filters, const InputFacts& input)
{
    Stage s{input.width,
            input.height,
            input.width * std::max(input.pixelAspect, 1.0),
            input.height / std::min(input.pixelAspect, 1.0),
            0,
            0,
            static_cast<double>(input.width),
            static_cast<double>(input.height)};
    for (const VideoFilter& filter : filters) {
        switch (filter.kind) {
        case VideoFilter::Kind::Scale:
            scale(s, filter);
            break;
        case VideoFilter::Kind::Dsize:
            dsize(s, filter);
            break;
        case VideoFilter::Kind::Expand:
            expand(s, filter);
            break;
        }
    }
    // Without a filter the stored size stands, made even.
    PictureLayout layout;
    layout.width = roundUpToEven(s.width);
    layout.height = roundUpToEven(s.height);
    layout.pictureX = static_cast<int>(s.pictureX) & ~1;
    layout.pictureY = static_cast<int>(s.pictureY) & ~1;
    layout.pictureWidth = std::min(roundUpToEven(rounded(s.pictureWidth)), layout.width);
    layout.pictureHeight = std::min(roundUpToEven(rounded(s.pictureHeight)), layout.height);
    layout.displayAspect = s.displayWidth / s.displayHeight;
    return keptInside(layout);
}

PictureLayout stretchedTo(const PictureLayout& layout, int width, int height)
{
    if (layout.width == width && layout.height == height)
        return layout;
    const double x = static_cast<double>(width) / layout.width;
    const double y = static_cast<double>(height) / layout.height;
    PictureLayout result;
    result.width = width;
    result.height = height;
    result.displayAspect = layout.displayAspect;
    result.pictureX = static_cast<int>(layout.pictureX * x) & ~1;
    result.pictureY = static_cast<int>(layout.pictureY * y) & ~1;
    result.pictureWidth = std::min(roundUpToEven(rounded(layout.pictureWidth * x)), width);
    result.pictureHeight = std::min(roundUpToEven(rounded(layout.pictureHeight * y)), height);
    return keptInside(result);
}

} // namespace asapi
