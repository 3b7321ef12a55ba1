#include "ClipFrames.h"

#include "media/FrameReader.h"

#include <memory>

ClipFrames::ClipFrames(QObject* parent) : QObject(parent)
{
    m_worker = std::thread([this] { work(); });
}

ClipFrames::~ClipFrames()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
        m_stopReading = true;
    }
    m_wake.notify_one();
    m_worker.join();
}

void ClipFrames::open(const QString& path)
{
    {
        const std::lock_guard lock(m_mutex);
        ++m_clip;
        m_stopReading = true;
        m_pathToOpen = path;
        m_picture.reset();
    }
    m_wake.notify_one();
}

void ClipFrames::close()
{
    open(QString());
}

void ClipFrames::requestPicture(int frame, QSize box)
{
    {
        const std::lock_guard lock(m_mutex);
        m_picture = PictureRequest{frame, box};
    }
    m_wake.notify_one();
}

void ClipFrames::deliver(int clip, const std::function<void()>& emitter)
{
    // Queued to this object: dropped unread if it is destroyed first.
    QMetaObject::invokeMethod(
        this,
        [this, clip, emitter] {
            if (clip == m_clip)
                emitter();
        },
        Qt::QueuedConnection);
}

void ClipFrames::work()
{
    std::unique_ptr<FrameReader> reader;
    int readerClip = 0;
    for (;;) {
        std::optional<QString> path;
        std::optional<PictureRequest> picture;
        int clip = 0;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || m_pathToOpen || m_picture; });
            if (m_quit)
                return;
            path = std::exchange(m_pathToOpen, std::nullopt);
            picture = std::exchange(m_picture, std::nullopt);
            clip = m_clip;
            if (path)
                m_stopReading = false;
        }
        if (path) {
            reader.reset();
            readerClip = clip;
            if (path->isEmpty())
                continue;
            reader = std::make_unique<FrameReader>(*path, &m_stopReading);
            const ClipTimeline timeline = reader->timeline();
            deliver(clip, [this, timeline] { emit opened(timeline); });
        }
        if (picture && reader && readerClip == clip) {
            const QImage image = reader->picture(picture->frame, picture->box);
            deliver(clip,
                    [this, frame = picture->frame, image] { emit pictureReady(frame, image); });
        }
    }
}
