#pragma once

#include "media/ClipTimeline.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <memory>

// The exact pictures of one video clip, by number. Opening reads the clip once and lists its
// video packets without decoding them; a picture is then decoded from the keyframe before it,
// or on from the picture given last when that is on its way. Pictures come upright, in their
// shown shape and fitted into the box asked for. One thread at a time.
class FrameReader
{
public:
    // stop, when it becomes true, ends the reading at once: a worker's way out of a long file.
    explicit FrameReader(const QString& path, const std::atomic_bool* stop = nullptr);
    ~FrameReader();
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    // False when the file cannot be read or has no video pictures.
    bool isOpen() const;
    const ClipTimeline& timeline() const { return m_timeline; }
    int frameCount() const { return m_timeline.frameCount(); }
    qint64 frameTimeMs(int frame) const { return m_timeline.frameMs.value(frame, -1); }
    qint64 durationMs() const { return m_timeline.durationMs; }

    // Picture number frame; null when there is none or it cannot be decoded.
    QImage picture(int frame, QSize box);
    // The picture after the one given last, without a seek; null after the last.
    QImage next(QSize box);
    // The number of the picture given last; -1 before the first.
    int position() const;

private:
    struct Decoding;
    std::unique_ptr<Decoding> m_decoding;
    ClipTimeline m_timeline;
};
