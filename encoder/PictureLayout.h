#pragma once

#include "CommandLine.h"
#include "InputProbe.h"

#include <vector>

namespace asapi {

// Where an input's picture lies in the output picture after the -vf filters; the rest is black.
struct PictureLayout
{
    int width = 0; // the whole output picture
    int height = 0;
    int pictureX = 0; // the input's picture, scaled, inside it
    int pictureY = 0;
    int pictureWidth = 0;
    int pictureHeight = 0;
    // The display's width over its height after the filters: what -lavcopts autoaspect writes.
    double displayAspect = 1.0;

    bool fillsThePicture() const
    {
        return pictureX == 0 && pictureY == 0 && pictureWidth == width && pictureHeight == height;
    }
    bool operator==(const PictureLayout&) const = default;
};

// The filters applied in order to the upright input, as MEncoder's dsize, scale and expand
// compute their sizes. Each filter also carries MPlayer's display size along: scale 0 and
// dsize 0 read it, dsize changes it, and scale and expand keep its shape. Sizes are rounded up
// to even numbers and places down to even ones, which 4:2:0 pictures need.
PictureLayout layoutPicture(const std::vector<VideoFilter>& filters, const InputFacts& input);

// The layout made to fill width x height: an input whose filters give another size than the
// output's is stretched to it, bars and all.
PictureLayout stretchedTo(const PictureLayout& layout, int width, int height);

} // namespace asapi
