#include "Thumbnails.h"

#include "media/VideoThumbnail.h"

#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

namespace {
// Enough for a list of several hundred clips at 160x90.
constexpr qsizetype CacheBytes = 32 * 1024 * 1024;
// The pictures come after the rows: a worker takes what the listing leaves of the processors
// (a thread's niceness is its own on Linux).
void yieldToTheWindow()
{
    thread_local const bool niced = setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10) == 0;
    Q_UNUSED(niced);
}

} // namespace

Thumbnails::Thumbnails(QSize box, Decoder decoder, QObject* parent)
    : QObject(parent), box_(box), decoder_(decoder ? std::move(decoder) : decodeThumbnail),
      cache_(CacheBytes)
{
    // One core stays with the window.
    workers_.setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, 4));
}

Thumbnails::~Thumbnails()
{
    // The queued decodes end at once when they see the stop.
    stopping_ = true;
    workers_.waitForDone();
}

Thumbnails::Stamp Thumbnails::stampOf(const QString& path)
{
    const QFileInfo file(path);
    return {file.size(), file.lastModified()};
}

QImage Thumbnails::request(const QString& path)
{
    const Stamp stamp = stampOf(path);
    if (const Entry* known = cache_.object(path); known && known->stamp == stamp)
        return known->image;
    if (pending_.contains(path))
        return {};
    pending_.insert(path);
    workers_.start([this, path, stamp] {
        yieldToTheWindow();
        const QImage image = decoder_(path, box_, &stopping_);
        // Queued to this object: dropped unread if it is destroyed first.
        QMetaObject::invokeMethod(
            this, [this, path, stamp, image] { store(path, stamp, image); }, Qt::QueuedConnection);
    });
    return {};
}

void Thumbnails::store(const QString& path, Stamp stamp, const QImage& image)
{
    pending_.remove(path);
    cache_.insert(path, new Entry{stamp, image}, std::max<qsizetype>(1, image.sizeInBytes()));
    emit ready(path, image);
}
