// Thumbnails of 40 camera-like clips (60 s of 1280x720 H.264, a keyframe every 10 s) through
// Thumbnails and its worker threads, and one file's decode alone: seconds in all and per file.
// Run: build/bench/media/bench_thumbnails

#include "BenchClip.h"
#include "media/Thumbnails.h"
#include "media/VideoThumbnail.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <cstdio>

namespace {

constexpr int kFiles = 40;
const QSize kBox(160, 90);

// One clip made by ffmpeg, copied under other names; kept between runs.
QStringList clips()
{
    const QDir dir(QStringLiteral(VANTOMEL_BENCH_CLIPS));
    const QString first =
        benchClip(dir, QStringLiteral("clip00.mp4"), QStringLiteral("1280x720"), 60, 300);
    QStringList paths{first};
    for (int i = 1; i < kFiles; ++i) {
        paths << dir.filePath(QString("clip%1.mp4").arg(i, 2, 10, QChar('0')));
        QFile::copy(first, paths.last());
    }
    return paths;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList paths = clips();

    QElapsedTimer timer;
    timer.start();
    if (decodeThumbnail(paths.first(), kBox).isNull())
        qFatal("no thumbnail");
    const double one = timer.nsecsElapsed() / 1e9;

    Thumbnails thumbnails(kBox);
    QSignalSpy ready(&thumbnails, &Thumbnails::ready);
    timer.restart();
    for (const QString& path : paths)
        thumbnails.request(path);
    while (ready.count() < kFiles)
        if (!ready.wait(60000))
            qFatal("no thumbnail for a minute");
    const double all = timer.nsecsElapsed() / 1e9;

    std::printf("one file alone: %.3f s\n%d files through Thumbnails: %.2f s, %.3f s per file\n",
                one, kFiles, all, all / kFiles);
    return 0;
}
