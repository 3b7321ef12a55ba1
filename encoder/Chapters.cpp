#include "Chapters.h"

#include <algorithm>
#include <cmath>

namespace asapi {
namespace {

constexpr AVRational chapterTimeBase{1, 1000};

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
    return container == Container::Mp4 || container == Container::Mov ||
           container == Container::Mkv;
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

} // namespace asapi
