#include "job/ProgressTracker.h"

#include <QTest>

namespace {

QString status(double seconds)
{
    return QString::asprintf(
        "Pos:%6.1fs %6df (%2d%%) %5.2ffps Trem:%4dmin %3dmb  A-V:%5.3f [%d:%d]\r", seconds,
        int(seconds * 30), 10, 30.0, 1, 2, 0.0, 1200, 128);
}

// A chunk as the encoder step reads it: the bars when it was parsed.
std::optional<BarUpdate> read(ProgressTracker& tracker, const QString& chunk)
{
    if (!tracker.readChunk(chunk, nullptr))
        return std::nullopt;
    return tracker.bars();
}

// Feeds the 20 chunks that are never parsed.
void skipBanner(ProgressTracker& tracker)
{
    for (int i = 0; i < 20; ++i)
        QVERIFY(!read(tracker, status(99)));
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
        const auto update = read(tracker, status(5));
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
        const auto update = read(tracker, status(2));
        QCOMPARE(*update->current, 50);
        QCOMPARE(*update->total, 20); // (6 + 2) / 20 * 50
    }

    void firstPosOfAChunkCountsAndMissingPosKeepsTheText()
    {
        ProgressTracker tracker(ProgressRules::conversion());
        tracker.beginRun({100, 0, 100});
        skipBanner(tracker);
        QCOMPARE(*read(tracker, status(10) + status(90))->current, 10);
        QCOMPARE(*read(tracker, "no report here\n")->current, 10);
        QCOMPARE(tracker.positionText(), QString("  10.0"));
        // "Pos:" without an "s" after it empties the text; the position stays.
        QCOMPARE(*read(tracker, "Pos: 50.0")->current, 10);
        QCOMPARE(tracker.positionText(), QString());
        // The kept text carries into the next run of the stage.
        read(tracker, status(30));
        tracker.beginRun({100, 0, 100});
        QCOMPARE(tracker.position(), 0.0);
        skipBanner(tracker);
        QCOMPARE(*read(tracker, "x")->current, 30);
    }

    void zeroDurationsLeaveTheirBarAlone()
    {
        ProgressTracker tracker(ProgressRules::conversion());
        tracker.beginRun({0, 0, 0});
        skipBanner(tracker);
        const auto update = read(tracker, status(3));
        QVERIFY(update);
        QVERIFY(!update->current);
        QVERIFY(!update->total);
    }

    void negativeDurationRestsAtZeroAndOverrunShowsFull()
    {
        ProgressTracker tracker(ProgressRules::conversion());
        tracker.beginRun({-1, 0, 10});
        skipBanner(tracker);
        QCOMPARE(*read(tracker, status(3))->current, 0);
        tracker.beginRun({2, 0, 2});
        skipBanner(tracker);
        const auto update = read(tracker, status(7));
        QCOMPARE(*update->current, 100);
        QCOMPARE(*update->total, 100);
    }

    void joinMovesOnlyForwardFromFifty()
    {
        ProgressTracker tracker(ProgressRules::join());
        tracker.beginRun({40, 0, 40});
        skipBanner(tracker);
        QCOMPARE(*read(tracker, status(20))->total, 75);
        const auto back = read(tracker, status(4));
        QCOMPARE(*back->total, 75);
        QCOMPARE(*back->current, 50);
        QCOMPARE(*read(tracker, status(40))->total, 100);
    }

    void conversionPumpsEventsBeforeEachUpdateAndJoinDoesNot()
    {
        int pumps = 0;
        const auto pump = [&] { ++pumps; };
        ProgressTracker conversion(ProgressRules::conversion());
        conversion.beginRun({1, 0, 1});
        for (int i = 0; i < 25; ++i)
            conversion.readChunk(status(0.5), pump);
        QCOMPARE(pumps, 5);
        ProgressTracker join(ProgressRules::join());
        join.beginRun({1, 0, 1});
        for (int i = 0; i < 25; ++i)
            join.readChunk(status(0.5), pump);
        QCOMPARE(pumps, 5);
    }

    void numbersWithBlanksOnlyAndNothingElse()
    {
        ProgressTracker tracker(ProgressRules::conversion());
        tracker.beginRun({100, 0, 100});
        skipBanner(tracker);
        QCOMPARE(*read(tracker, "Pos:  42.5 s")->current, 42);
        QCOMPARE(*read(tracker, "Pos:abcs")->current, 42);
        QCOMPARE(*read(tracker, "Pos:infs")->current, 42);
        QCOMPARE(*read(tracker, "Pos:1,5s")->current, 42);
    }
};

QTEST_GUILESS_MAIN(TestProgress)
#include "test_progress.moc"
