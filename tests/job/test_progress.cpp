#include "job/ProgressTracker.h"

#include <QTest>

namespace {

QString status(double seconds)
{
    return QString::asprintf(
        "Pos:%6.1fs %6df (%2d%%) %5.2ffps Trem:%4dmin %3dmb  A-V:%5.3f [%d:%d]\r", seconds,
        int(seconds * 30), 10, 30.0, 1, 2, 0.0, 1200, 128);
}

// Feeds the 20 chunks that are never parsed.
void skipBanner(ProgressTracker& tracker)
{
    for (int i = 0; i < 20; ++i)
        QVERIFY(!tracker.onChunk(status(99), nullptr));
}

} // namespace

class TestProgress : public QObject
{
    Q_OBJECT

private slots:
    void barsRoundHalfToEvenAndClamp_data()
    {
        QTest::addColumn<double>("percent");
        QTest::addColumn<int>("bar");
        QTest::newRow("half down to even") << 12.5 << 12;
        QTest::newRow("half up to even") << 13.5 << 14;
        QTest::newRow("plain") << 33.3 << 33;
        QTest::newRow("over") << 250.0 << 100;
        QTest::newRow("negative") << -20.0 << 0;
        QTest::newRow("nan") << std::nan("") << 0;
        QTest::newRow("huge") << 1e300 << 100;
    }
    void barsRoundHalfToEvenAndClamp()
    {
        QFETCH(double, percent);
        QFETCH(int, bar);
        QCOMPARE(barPosition(percent), bar);
    }

    void first20ChunksOfEachRunAreNeverParsed()
    {
        ProgressTracker tracker(ProgressRules::conversion());
        tracker.beginRun({10, 0, 20});
        skipBanner(tracker);
        const auto update = tracker.onChunk(status(5), nullptr);
        QVERIFY(update);
        QCOMPARE(*update->current, 50);
        QCOMPARE(*update->total, 12); // 5 / 20 * 50 = 12.5, halves to even
        tracker.beginRun({10, 10, 20});
        skipBanner(tracker);
    }

    void conversionTotalCountsCompletedItems()
    {
        ProgressTracker tracker(ProgressRules::conversion());
        tracker.beginRun({4, 6, 20});
        skipBanner(tracker);
        const auto update = tracker.onChunk(status(2), nullptr);
        QCOMPARE(*update->current, 50);
        QCOMPARE(*update->total, 20); // (6 + 2) / 20 * 50
    }

    void firstPosOfAChunkCountsAndMissingPosKeepsTheText()
    {
        ProgressTracker tracker(ProgressRules::conversion());
        tracker.beginRun({100, 0, 100});
        skipBanner(tracker);
        QCOMPARE(*tracker.onChunk(status(10) + status(90), nullptr)->current, 10);
        QCOMPARE(*tracker.onChunk("no report here\n", nullptr)->current, 10);
        QCOMPARE(tracker.positionText(), QString("  10.0"));
        // "Pos:" without an "s" after it empties the text; the position stays.
        QCOMPARE(*tracker.onChunk("Pos: 50.0", nullptr)->current, 10);
        QCOMPARE(tracker.positionText(), QString());
        // The kept text carries into the next run of the stage.
        tracker.onChunk(status(30), nullptr);
        tracker.beginRun({100, 0, 100});
        QCOMPARE(tracker.position(), 0.0);
        skipBanner(tracker);
        QCOMPARE(*tracker.onChunk("x", nullptr)->current, 30);
    }

    void zeroDurationsLeaveTheirBarAlone()
    {
        ProgressTracker tracker(ProgressRules::conversion());
        tracker.beginRun({0, 0, 0});
        skipBanner(tracker);
        const auto update = tracker.onChunk(status(3), nullptr);
        QVERIFY(update);
        QVERIFY(!update->current);
        QVERIFY(!update->total);
    }

    void negativeDurationRestsAtZeroAndOverrunShowsFull()
    {
        ProgressTracker tracker(ProgressRules::conversion());
        tracker.beginRun({-1, 0, 10});
        skipBanner(tracker);
        QCOMPARE(*tracker.onChunk(status(3), nullptr)->current, 0);
        tracker.beginRun({2, 0, 2});
        skipBanner(tracker);
        const auto update = tracker.onChunk(status(7), nullptr);
        QCOMPARE(*update->current, 100);
        QCOMPARE(*update->total, 100);
    }

    void joinMovesOnlyForwardFromFifty()
    {
        ProgressTracker tracker(ProgressRules::join());
        tracker.beginRun({40, 0, 40});
        skipBanner(tracker);
        QCOMPARE(*tracker.onChunk(status(20), nullptr)->total, 75);
        const auto back = tracker.onChunk(status(4), nullptr);
        QCOMPARE(*back->total, 75);
        QCOMPARE(*back->current, 50);
        QCOMPARE(*tracker.onChunk(status(40), nullptr)->total, 100);
    }

    void conversionPumpsEventsBeforeEachUpdateAndJoinDoesNot()
    {
        int pumps = 0;
        const auto pump = [&] { ++pumps; };
        ProgressTracker conversion(ProgressRules::conversion());
        conversion.beginRun({1, 0, 1});
        for (int i = 0; i < 25; ++i)
            conversion.onChunk(status(0.5), pump);
        QCOMPARE(pumps, 5);
        ProgressTracker join(ProgressRules::join());
        join.beginRun({1, 0, 1});
        for (int i = 0; i < 25; ++i)
            join.onChunk(status(0.5), pump);
        QCOMPARE(pumps, 5);
    }

    void numbersWithBlanksOnlyAndNothingElse()
    {
        ProgressTracker tracker(ProgressRules::conversion());
        tracker.beginRun({100, 0, 100});
        skipBanner(tracker);
        QCOMPARE(*tracker.onChunk("Pos:  42.5 s", nullptr)->current, 42);
        QCOMPARE(*tracker.onChunk("Pos:abcs", nullptr)->current, 42);
        QCOMPARE(*tracker.onChunk("Pos:infs", nullptr)->current, 42);
        QCOMPARE(*tracker.onChunk("Pos:1,5s", nullptr)->current, 42);
    }
};

QTEST_GUILESS_MAIN(TestProgress)
#include "test_progress.moc"
