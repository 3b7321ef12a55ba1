#pragma once

#include <QList>
#include <QtGlobal>

// When each picture of a clip shows, in milliseconds from its first picture, in the order they
// show; the picture numbers are positions in it.
struct ClipTimeline
{
    QList<qint64> frameMs;
    // To the end of the last picture.
    qint64 durationMs = 0;

    int frameCount() const { return static_cast<int>(frameMs.size()); }
    // The picture that shows at ms: the last one that starts at or before it.
    int frameAt(qint64 ms) const;
};
