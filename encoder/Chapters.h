#pragma once

#include "ContainerRules.h"
#include "FfmpegPointers.h"

#include <string>
#include <vector>

namespace asapi {

// A chapter of a joined file: one at the start of each part.
struct Chapter
{
    double start = 0.0; // seconds in the output
    std::string title;
};

// MP4, MOV and MKV files carry a join's chapters.
bool takesChapters(Container container);

// Before the trailer, once the parts' times are known: the chapters, each ending where the next
// begins, the last at end. The MP4, MOV and Matroska muxers write chapters added then with the
// trailer.
void setChapters(AVFormatContext* muxer, Container container, const std::vector<Chapter>& chapters,
                 double end);

} // namespace asapi
