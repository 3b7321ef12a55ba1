#include "Chapters.h"

#include "FileIo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <unistd.h>

namespace asapi {
namespace {

constexpr AVRational chapterTimeBase{1, 1000};

// Matroska's chapter times are in nanoseconds, as EBML numbers: an ID, a size, big-endian bytes.
constexpr AVRational matroskaTimeBase{1, 1000000000};
constexpr std::uint8_t chapterStartId = 0x91;
constexpr std::uint8_t chapterEndId = 0x92;
constexpr std::uint8_t eightBytes = 0x88;
// Stand-in times: the smallest that take eight bytes, one pair for each chapter, so that each
// is found once in the header.
constexpr std::int64_t standInBase = std::int64_t{1} << 56;

std::int64_t standInStart(std::size_t chapter)
{
    return standInBase + 2 * static_cast<std::int64_t>(chapter);
}

std::array<std::uint8_t, 10> timeElement(std::uint8_t id, std::int64_t nanoseconds)
{
    std::array<std::uint8_t, 10> element{id, eightBytes};
    for (int i = 0; i < 8; ++i)
        element[2 + i] = static_cast<std::uint8_t>(nanoseconds >> (8 * (7 - i)));
    return element;
}

void addChapters(AVFormatContext* muxer, unsigned count)
{
    while (muxer->nb_chapters < count) {
        // Freed with the muxer, as avformat_free_context frees every chapter.
        auto* chapter = static_cast<AVChapter*>(allocated(av_mallocz(sizeof(AVChapter))));
        chapter->id = muxer->nb_chapters + 1;
        chapter->time_base = chapterTimeBase;
        int count = static_cast<int>(muxer->nb_chapters);
        if (av_dynarray_add_nofree(&muxer->chapters, &count, chapter) < 0) {
            av_free(chapter);
            throw EncoderError{"Out of memory."};
        }
        muxer->nb_chapters = static_cast<unsigned>(count);
    }
}

} // namespace

bool takesChapters(Container container)
{
    return container->takesChapters;
}

void setChapters(AVFormatContext* muxer, Container container, const std::vector<Chapter>& chapters,
                 double end)
{
    if (!takesChapters(container))
        return;
    addChapters(muxer, static_cast<unsigned>(chapters.size()));
    const auto milliseconds = [](double seconds) {
        return static_cast<std::int64_t>(std::llround(seconds * 1000));
    };
    for (std::size_t i = 0; i < chapters.size(); ++i) {
        AVChapter* chapter = muxer->chapters[i];
        chapter->start = milliseconds(chapters[i].start);
        chapter->end = std::max(
            chapter->start, milliseconds(i + 1 < chapters.size() ? chapters[i + 1].start : end));
        check(av_dict_set(&chapter->metadata, "title", chapters[i].title.c_str(), 0),
              "Out of memory");
    }
}

ReservedChapters::ReservedChapters(AVFormatContext* muxer, Container container,
                                   const std::vector<std::string>& titles, OutputFile& file,
                                   AVDictionary** muxerOptions)
    : m_file(file)
{
    if (!container->chaptersBeforePackets || titles.empty() || file.mendableDescriptor() < 0)
        return;
    m_titles = titles;
    addChapters(muxer, static_cast<unsigned>(titles.size()));
    for (std::size_t i = 0; i < titles.size(); ++i) {
        AVChapter* chapter = muxer->chapters[i];
        chapter->time_base = matroskaTimeBase;
        chapter->start = standInStart(i);
        chapter->end = chapter->start + 1;
        check(av_dict_set(&chapter->metadata, "title", titles[i].c_str(), 0), "Out of memory");
    }
    // A checksum over the chapters would no longer hold once their times are written over.
    check(av_dict_set(muxerOptions, "write_crc32", "0", 0), "Out of memory");
}

void ReservedChapters::mend(const std::vector<Chapter>& chapters, double end) const
{
    if (m_titles.empty())
        return;
    m_file.flush();
    const int fd = m_file.mendableDescriptor();
    std::vector<std::uint8_t> header(static_cast<std::size_t>(m_headerEnd));
    const auto fail = [] {
        throw EncoderError{"Cannot write the chapters: " + systemErrorText(errno) + "."};
    };
    if (pread(fd, header.data(), header.size(), 0) != static_cast<ssize_t>(header.size()))
        fail();
    const auto nanoseconds = [](double seconds) { return std::llround(seconds * 1e9); };
    const auto writeOver = [&](std::uint8_t id, std::int64_t standIn, std::int64_t time) {
        const auto was = timeElement(id, standIn);
        const auto at = std::search(header.begin(), header.end(), was.begin(), was.end());
        if (at == header.end())
            throw EncoderError{"Cannot write the chapters: their place in the header is lost."};
        const auto now = timeElement(id, time);
        if (pwrite(fd, now.data(), now.size(), at - header.begin()) !=
            static_cast<ssize_t>(now.size()))
            fail();
    };
    // The parts that were written are the inputs' chapters in order; an input without a part has
    // its title skipped over.
    std::size_t part = 0;
    for (std::size_t i = 0; i < m_titles.size(); ++i) {
        const bool hasPart = part < chapters.size() && chapters[part].title == m_titles[i];
        const double start = part < chapters.size() ? chapters[part].start : end;
        if (hasPart)
            ++part;
        const double stop = !hasPart ? start : part < chapters.size() ? chapters[part].start : end;
        writeOver(chapterStartId, standInStart(i), nanoseconds(start));
        writeOver(chapterEndId, standInStart(i) + 1, nanoseconds(std::max(start, stop)));
    }
}

} // namespace asapi
