#pragma once

#include "ContainerRules.h"
#include "FfmpegPointers.h"
#include "OutputFile.h"

#include <cstdint>
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

// Matroska writes the chapters that stand when its header is written into the header, and those
// added later at the file's end, where readers such as mkvinfo do not look without being asked.
// So a join into MKV reserves a chapter for each input in the header, at stand-in times that take
// all eight bytes an EBML number may have, and writes the real times over them once the file is
// complete.
class ReservedChapters
{
public:
    // Before the header; nothing for other containers, nor for a file that cannot be mended in
    // place (a FIFO or device). Adds to the muxer's options what the Matroska muxer needs for it.
    ReservedChapters(AVFormatContext* muxer, Container container,
                     const std::vector<std::string>& titles, OutputFile& file,
                     AVDictionary** muxerOptions);
    // Just after the header: where it ends.
    void headerWritten(std::int64_t end) { m_headerEnd = end; }
    // Once the trailer is written: each input's chapter gets the times of its part, one without
    // a part none at all (it starts and ends where the next part starts). Throws EncoderError
    // when the file cannot be mended.
    void mend(const std::vector<Chapter>& chapters, double end) const;

private:
    OutputFile& m_file;
    std::vector<std::string> m_titles; // empty: nothing reserved
    std::int64_t m_headerEnd = 0;
};

} // namespace asapi
