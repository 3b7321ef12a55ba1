#pragma once

#include "StatusReporter.h"

#include <optional>
#include <string>
#include <vector>

namespace asapi {

// How a part's picture is to be shown: what the output's own header must say for it.
struct PartShape
{
    int rotation = 0;         // clockwise degrees
    double pixelAspect = 1.0; // of the upright picture
};

// Where in the output pictures encoded again meet copied ones: a part's start, or a keyframe
// inside it.
struct PictureCut
{
    int part = 0;
    double at = 0.0; // seconds
};

// What a join meant to write, for the read-back to hold the file against.
struct WrittenJoin
{
    std::vector<JoinPoint> joins; // parts 2 onwards, offsets as the join meant them
    // One per part, part 1 first, where the output's header must show each part as its input
    // did: a copy. A re-encoded part is made upright with the output's own pixels.
    std::vector<PartShape> shapes;
    double clipsLength = 0.0;     // seconds of picture the join read from its inputs
    double videoEnd = 0.0;        // where the join meant the picture to end
    bool decodeSeams = false;     // the pictures at each seam were copied, not encoded
    std::vector<PictureCut> cuts; // decoded as the seams are
};

// Reads a finished join back as a player would: where each part's first picture and first sound
// sample are shown (timestamps and edit lists applied), how long the tracks are, and, for a copy,
// how the picture is shown and whether the first pictures of each seam and each cut decode. Reads
// only around the seams and the end, so that it costs little beside the join. readablePath: where
// the file can be opened; outputName: its name, whose extension tells its container.
ReadBackReport readJoinBack(const std::string& readablePath, const std::string& outputName,
                            const WrittenJoin& written);

} // namespace asapi
