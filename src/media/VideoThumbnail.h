#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>

// One picture of a video file, about a tenth into it, upright and in its shown shape (its
// pixels' aspect applied), scaled to fit the box. A null image when the file cannot be read,
// has no picture, or stop became true while it was read.
QImage decodeThumbnail(const QString& path, QSize box, const std::atomic_bool* stop = nullptr);
