// The clock that places decoded frames on an input's time line: damaged times are repaired,
// restarted clocks and held pictures are believed only when the next frame confirms them.
#include "FrameClock.h"

#include <QtTest>

#include <cmath>
#include <limits>

using asapi::FrameClock;

namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN(); // a frame without a time
constexpr double frameLength = 0.04;                              // seconds

// The starts the clock gives frames of 40 ms stamped with the given times (in seconds).
QList<double> startsFor(const QList<double>& stamps, bool clockMayRestart, double length)
{
    QList<double> starts;
    FrameClock clock(AVRational{1, 1000}, 0, clockMayRestart, length,
                     [&](const AVFrame*, double start, double) { starts.append(start); });
    for (double stamp : stamps) {
        asapi::FramePtr frame = asapi::makeFrame();
        frame->best_effort_timestamp =
            std::isnan(stamp) ? AV_NOPTS_VALUE : std::llround(stamp * 1000);
        frame->pkt_duration = std::llround(frameLength * 1000);
        clock.push(frame.get(), frameLength);
    }
    clock.finish();
    return starts;
}

} // namespace

class FrameClockTest : public QObject
{
    Q_OBJECT

private slots:
    void placesFramesOnTheTimeLine_data()
    {
        QTest::addColumn<QList<double>>("stamps");
        QTest::addColumn<bool>("clockMayRestart");
        QTest::addColumn<double>("length"); // the input's; 0: unknown
        QTest::addColumn<QList<double>>("starts");

        QTest::newRow("a frame without a time follows the one before")
            << QList<double>{0, none, 0.08} << false << 0.0 << QList<double>{0, 0.04, 0.08};
        QTest::newRow("one time far ahead is damage")
            << QList<double>{0, 0.04, 67108.0, 0.12, 0.16} << false << 0.0
            << QList<double>{0, 0.04, 0.08, 0.12, 0.16};
        QTest::newRow("one time far back is damage")
            << QList<double>{0, 0.04, 0.08, -30.0, 0.16} << true << 0.0
            << QList<double>{0, 0.04, 0.08, 0.12, 0.16};
        QTest::newRow("a picture held, confirmed by the next frame")
            << QList<double>{0, 0.04, 5.0, 5.04} << false << 0.0
            << QList<double>{0, 0.04, 5.0, 5.04};
        QTest::newRow("a program stream's clock started again ahead")
            << QList<double>{0, 0.04, 100.0, 100.04} << true << 0.0
            << QList<double>{0, 0.04, 0.08, 0.12};
        QTest::newRow("a program stream's clock started again at zero")
            << QList<double>{5.0, 5.04, 5.08, 0, 0.04} << true << 0.0
            << QList<double>{5.0, 5.04, 5.08, 5.12, 5.16};
        QTest::newRow("times beyond the input's length go on where the stream was")
            << QList<double>{0, 0.04, 9.0, 9.04} << false << 1.0
            << QList<double>{0, 0.04, 0.08, 0.12};
        QTest::newRow("a jump ahead at the end is believed")
            << QList<double>{0, 0.04, 3.0} << false << 0.0 << QList<double>{0, 0.04, 3.0};
        QTest::newRow("a jump back at the end is not")
            << QList<double>{0, 0.04, 0.08, -5.0} << false << 0.0
            << QList<double>{0, 0.04, 0.08, 0.12};
    }

    void placesFramesOnTheTimeLine()
    {
        QFETCH(QList<double>, stamps);
        QFETCH(bool, clockMayRestart);
        QFETCH(double, length);
        QFETCH(QList<double>, starts);

        const QList<double> actual = startsFor(stamps, clockMayRestart, length);
        QCOMPARE(actual.size(), starts.size());
        for (qsizetype i = 0; i < starts.size(); ++i)
            QVERIFY2(std::abs(actual[i] - starts[i]) < 1e-6,
                     qPrintable(QStringLiteral("frame %1 starts at %2, not %3")
                                    .arg(i)
                                    .arg(actual[i])
                                    .arg(starts[i])));
    }
};

QTEST_GUILESS_MAIN(FrameClockTest)
#include "test_frame_clock.moc"
