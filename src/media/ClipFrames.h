#pragma once

#include "media/ClipTimeline.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// A FrameReader on a thread of its own, so that no decoding holds the window. Only the newest
// request counts: a picture asked for while another is decoded replaces any still waiting, and
// opening another clip drops everything asked of the one before.
class ClipFrames : public QObject
{
    Q_OBJECT
public:
    explicit ClipFrames(QObject* parent = nullptr);
    ~ClipFrames() override;

    void open(const QString& path);
    // Lets go of the clip and its file.
    void close();
    void requestPicture(int frame, QSize box);

signals:
    // timeline is empty when the clip has no picture that can be read.
    void opened(const ClipTimeline& timeline);
    // image is null when the picture cannot be decoded.
    void pictureReady(int frame, const QImage& image);

private:
    struct PictureRequest
    {
        int frame = 0;
        QSize box;
    };
    void work();
    // On the window's thread: drops what a clip opened since was asked.
    void deliver(int clip, const std::function<void()>& emitter);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<QString> m_pathToOpen; // an empty path closes
    std::optional<PictureRequest> m_picture;
    bool m_quit = false;
    // Counts the clips asked for; the worker stops a clip's reading as soon as it is passed.
    std::atomic_int m_clip = 0;
    std::atomic_bool m_stopReading = false;
    std::thread m_worker;
};
