// The thread the sound is encoded on: every frame in order, and its errors back to the feeder.
#include "FrameWorker.h"

#include <QtTest>

#include <atomic>
#include <new>
#include <vector>

using asapi::EncoderError;
using asapi::FramePtr;
using asapi::FrameWorker;

namespace {

FramePtr numberedFrame(int number)
{
    FramePtr frame = asapi::makeFrame();
    frame->pts = number;
    return frame;
}

} // namespace

class FrameWorkerTest : public QObject
{
    Q_OBJECT

private slots:
    void consumesEveryFrameInOrderBeforeFinishReturns()
    {
        std::vector<std::int64_t> consumed;
        FrameWorker worker(2, [&](AVFrame* frame) { consumed.push_back(frame->pts); });
        for (int i = 0; i < 50; ++i)
            worker.push(numberedFrame(i));
        worker.finish();
        QCOMPARE(consumed.size(), std::size_t(50));
        for (int i = 0; i < 50; ++i)
            QCOMPARE(consumed[i], std::int64_t(i));
    }

    // Whatever the consumer throws reaches the feeder; nothing ends the program.
    void errorReachesTheFeeder_data()
    {
        QTest::addColumn<int>("failingFrame");
        QTest::addColumn<int>("framesPushed");
        QTest::addColumn<bool>("outOfMemory"); // an error of the library, not one of ours
        QTest::addColumn<QString>("message");
        QTest::newRow("while frames are still pushed")
            << 3 << 1000 << false << "Cannot encode the sound.";
        QTest::newRow("at the last frame, seen by finish")
            << 4 << 5 << false << "Cannot encode the sound.";
        QTest::newRow("out of memory") << 3 << 1000 << true << "std::bad_alloc";
    }
    void errorReachesTheFeeder()
    {
        QFETCH(int, failingFrame);
        QFETCH(int, framesPushed);
        QFETCH(bool, outOfMemory);
        QFETCH(QString, message);
        FrameWorker worker(2, [&](AVFrame* frame) {
            if (frame->pts != failingFrame)
                return;
            if (outOfMemory)
                throw std::bad_alloc();
            throw EncoderError{"Cannot encode the sound."};
        });
        QString caught;
        try {
            for (int i = 0; i < framesPushed; ++i)
                worker.push(numberedFrame(i));
            worker.finish();
        } catch (const std::exception& error) {
            caught = QString::fromLatin1(error.what());
        }
        QCOMPARE(caught, message);
    }

    void destroyingDropsWhatWaits()
    {
        std::atomic<int> consumed = 0;
        {
            FrameWorker worker(100, [&](AVFrame*) {
                QThread::msleep(20);
                ++consumed;
            });
            for (int i = 0; i < 100; ++i)
                worker.push(numberedFrame(i));
        }
        QVERIFY(consumed < 100);
    }
};

QTEST_GUILESS_MAIN(FrameWorkerTest)
#include "test_frame_worker.moc"
