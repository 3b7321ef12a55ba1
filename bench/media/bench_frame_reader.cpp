// FrameReader on a 1080p clip (20 s of H.264 at 30 pictures a second, a keyframe every 2 s, with
// B-pictures): opening with its packet list, a picture at random numbers, and stepping on,
// each picture scaled to 1280x720.
// Run: build/bench/media/bench_frame_reader

#include "BenchClip.h"
#include "media/FrameReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <cstdio>

namespace {

const QSize kBox(1280, 720);
constexpr int kSeeks = 30;
constexpr int kSteps = 300;

QString clip()
{
    return benchClip(QDir(QStringLiteral(VANTOMEL_BENCH_CLIPS)), QStringLiteral("clip-1080p.mp4"),
                     QStringLiteral("1920x1080"), 20, 60);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString path = clip();

    QElapsedTimer timer;
    timer.start();
    FrameReader reader(path);
    if (!reader.isOpen())
        qFatal("the clip does not open");
    const double open = timer.nsecsElapsed() / 1e6;

    QRandomGenerator numbers(7); // the same numbers every run
    timer.restart();
    for (int i = 0; i < kSeeks; ++i)
        if (reader.picture(numbers.bounded(reader.frameCount()), kBox).isNull())
            qFatal("no picture");
    const double seek = timer.nsecsElapsed() / 1e6 / kSeeks;

    reader.picture(0, kBox);
    timer.restart();
    for (int i = 0; i < kSteps; ++i)
        if (reader.next(kBox).isNull())
            qFatal("no next picture");
    const double stepRate = kSteps / (timer.nsecsElapsed() / 1e9);

    std::printf("1080p clip, %d pictures: open %.1f ms, random picture %.1f ms on average (%d), "
                "stepping %.1f pictures/s\n",
                reader.frameCount(), open, seek, kSeeks, stepRate);
    return 0;
}
