#pragma once

#include <QCache>
#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>

// Thumbnails of video files, decoded on worker threads and kept in memory by path, size and
// modification time. Destroying it stops the decoding and waits for the workers.
class Thumbnails : public QObject
{
    Q_OBJECT
public:
    using Decoder =
        std::function<QImage(const QString& path, QSize box, const std::atomic_bool* stop)>;

    // decoder is decodeThumbnail unless a test counts the decodes.
    explicit Thumbnails(QSize box, Decoder decoder = {}, QObject* parent = nullptr);
    ~Thumbnails() override;

    // The file's thumbnail when it is known (null when it cannot be made); otherwise a null
    // image now and ready later, one decode however often the file is asked for meanwhile.
    QImage request(const QString& path);

signals:
    // On the thread that owns this object; image is null when the file has no picture.
    void ready(const QString& path, const QImage& image);

private:
    struct Stamp
    {
        qint64 size = -1;
        QDateTime modified;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry
    {
        Stamp stamp;
        QImage image;
    };
    static Stamp stampOf(const QString& path);
    void store(const QString& path, Stamp stamp, const QImage& image);

    QSize box_;
    Decoder decoder_;
    QCache<QString, Entry> cache_;
    QSet<QString> pending_;
    std::atomic_bool stopping_ = false;
    QThreadPool workers_;
};
