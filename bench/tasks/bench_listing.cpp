// Drops a folder of 200 camera-like clips (10 s of 1280x720 H.264 with AAC, a keyframe every
// second, half .mp4 and half .mov) on the main window: the seconds until every row is listed
// with its facts, until every row's thumbnail is in, and the longest time the window's event
// loop was held meanwhile (what a click would wait for).
// Run on the offscreen platform: QT_QPA_PLATFORM=offscreen build/bench/tasks/bench_listing

#include "support/RecordingSeams.h"
#include "ui/RowPictures.h"
#include "ui/TMainForm.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kFiles = 200;

QString folderOfClips()
{
    const QString folder = QStringLiteral(VANTOMEL_BENCH_CLIPS);
    QDir dir(folder);
    if (dir.entryList(QDir::Files).size() == kFiles)
        return folder;
    dir.mkpath(".");
    for (const char* kind : {"mp4", "mov"}) {
        const int made = QProcess::execute("ffmpeg", {"-hide_banner",
                                                      "-loglevel",
                                                      "error",
                                                      "-y",
                                                      "-f",
                                                      "lavfi",
                                                      "-i",
                                                      "testsrc2=size=1280x720:rate=30:duration=10",
                                                      "-f",
                                                      "lavfi",
                                                      "-i",
                                                      "sine=duration=10",
                                                      "-c:v",
                                                      "libx264",
                                                      "-preset",
                                                      "veryfast",
                                                      "-g",
                                                      "30",
                                                      "-pix_fmt",
                                                      "yuv420p",
                                                      "-c:a",
                                                      "aac",
                                                      dir.filePath(QString("made.") + kind)});
        if (made != 0)
            qFatal("ffmpeg could not make the clip");
    }
    for (int i = 0; i < kFiles; ++i)
        QFile::copy(dir.filePath(i % 2 ? "made.mov" : "made.mp4"),
                    dir.filePath(
                        QString("VID_%1.%2").arg(i, 3, 10, QChar('0')).arg(i % 2 ? "mov" : "mp4")));
    QFile::remove(dir.filePath("made.mp4"));
    QFile::remove(dir.filePath("made.mov"));
    return folder;
}

// The longest wait between two turns of the event loop, from a timer that asks for every one.
class LoopWatch : public QObject
{
public:
    LoopWatch()
    {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this,
                [this] { m_longest = std::max(m_longest, m_sinceLast.restart()); });
        m_sinceLast.start();
        m_timer.start();
    }
    qint64 takeLongestMs() { return std::exchange(m_longest, 0); }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    qint64 m_longest = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString folder = folderOfClips();
    RecordingSeams doubles;
    TMainForm form(doubles.seams(), InitProgramInfo(QStringLiteral("1.5")),
                   portablePlaces(QDir::tempPath() + QLatin1Char('/')));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        qFatal("window not shown");
    int pictures = 0;
    QObject::connect(form.findChild<RowPictures*>(), &RowPictures::pictureArrived,
                     [&pictures] { ++pictures; });

    LoopWatch watch;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder)});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QElapsedTimer timer;
    timer.start();
    static_cast<QObject*>(&form)->event(&drop);
    const double listed = timer.nsecsElapsed() / 1e9;
    const qint64 heldWhileListing = watch.takeLongestMs();
    if (form.taskList().rowCount() != kFiles || !doubles.messages.shown.isEmpty())
        qFatal("the add did not list every clip");
    const int picturesWhenListed = pictures;
    if (!QTest::qWaitFor([&] { return pictures >= kFiles; }, 120000))
        qFatal("not every thumbnail came within two minutes");
    const double allPictures = timer.nsecsElapsed() / 1e9;

    std::printf("clips: %d (10 s 1280x720 H.264 + AAC, .mp4 and .mov)\n", kFiles);
    std::printf("every row listed with its facts: %.2f s (target at most 2 s)\n", listed);
    std::printf("thumbnails in by then: %d\n", picturesWhenListed);
    std::printf("every thumbnail in: %.2f s (target at most 20 s)\n", allPictures);
    std::printf("longest hold of the event loop: %lld ms while listing, %lld ms after\n",
                static_cast<long long>(heldWhileListing),
                static_cast<long long>(watch.takeLongestMs()));
    return 0;
}
