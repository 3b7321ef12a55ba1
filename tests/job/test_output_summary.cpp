#include "job/OutputSummary.h"
#include "profiles/CurrentProfile.h"

#include <QtTest>

namespace {

TaskRow clip(const QString& size, const QString& rate, double seconds, qint64 bytes)
{
    TaskRow row;
    row.path = QStringLiteral("/v/clip.mp4");
    row.length = QStringLiteral("00:00:%1").arg(seconds, 4, 'f', 1, QLatin1Char('0'));
    row.frameSize = size;
    row.facts.frameRate = rate;
    row.facts.video = QStringLiteral("H.264 High");
    row.facts.sound = QStringLiteral("AAC 44.1 kHz stereo");
    row.facts.fileSize = bytes;
    return row;
}

} // namespace

// What the line beside the output file says Start would make, from the delivered profiles.
class OutputSummaryTest : public QObject
{
    Q_OBJECT

private slots:
    void tellsTheOutputBeforeStart_data()
    {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<bool>("firstVideoSize");
        QTest::addColumn<QString>("frameRate");
        QTest::addColumn<double>("measuredSpeed");
        QTest::addColumn<double>("firstOutPoint"); // 0: the whole first clip
        QTest::addColumn<QList<int>>("encodedAgain");
        QTest::addColumn<QString>("line");

        // 2 x 10 s at 2000 + 160 kbit: 5.4 MB; 20 s of 1280x720 at 2.5 a second.
        QTest::newRow("re-encoded at the profile's size, first guess")
            << "MP4 - H.264 and AAC" << false << "30" << 0.0 << 0.0 << QList<int>{}
            << "MP4 · 1280x720 · 30 fps · H.264 · AAC · re-encoded · about "
               "5.4 MB · about 8 s (a guess)";
        // The first clip plays upright: its size as it plays, and its rate.
        QTest::newRow("same as the first video")
            << "MP4 - H.264 and AAC" << true << "First" << 2.0 << 0.0 << QList<int>{}
            << "MP4 · 1080x1920 · 29.97 fps · H.264 · AAC · re-encoded · about "
               "5.4 MB · about 23 s";
        QTest::newRow("copied: the clips' own shape and sizes")
            << "MKV - Same as the videos (no re-encoding)" << false << "30" << 2e6 << 0.0
            << QList<int>{}
            << "MKV · 1080x1920 · 29.97 fps · H.264 High · AAC · copied · about 12.0 MB · about 6 "
               "s";
        // 5 s of the first clip: 15 s in all, and half of its bytes.
        QTest::newRow("a trimmed clip counts its part")
            << "MKV - Same as the videos (no re-encoding)" << false << "30" << 2e6 << 5.0
            << QList<int>{}
            << "MKV · 1080x1920 · 29.97 fps · H.264 High · AAC · copied · about 9.5 MB · about 5 s";
        // The first clip takes the second's shape: 6 s of copy, then its 10 s of 1920x1080 at a
        // re-encode's first guess, 3 s a second at 1280x720: 7.5 s.
        QTest::newRow("copied, the first clip encoded again to match")
            << "MKV - Same as the videos (no re-encoding)" << false << "30" << 2e6 << 0.0
            << QList<int>{0}
            << "MKV · 1920x1080 · 30 fps · H.264 High · AAC · copied, 1 re-encoded · about "
               "12.0 MB · about 14 s (a guess)";
    }
    void tellsTheOutputBeforeStart()
    {
        QFETCH(QString, profile);
        QFETCH(bool, firstVideoSize);
        QFETCH(QString, frameRate);
        QFETCH(double, measuredSpeed);
        QFETCH(double, firstOutPoint);
        QFETCH(QList<int>, encodedAgain);
        QFETCH(QString, line);

        CurrentProfile current;
        QVERIFY(current.load(QStringLiteral(SHIPPED_PROGRAM_DIR "Profiles/") + profile +
                             QStringLiteral(".bpf")));
        OutputSelection selection = current.selection();
        selection.sizeOfFirstVideo = firstVideoSize;
        current.setSelection(selection);
        current.setFirstVideoSize(QStringLiteral("1080x1920"));
        prefs::GeneralSettings settings;
        settings.frameRate = frameRate;
        QVector<TaskRow> rows{clip("1080x1920", "29.97", 10, 5'000'000),
                              clip("1920x1080", "30", 10, 7'000'000)};
        if (firstOutPoint > 0)
            rows[0].outPoint = firstOutPoint;
        const auto speed =
            measuredSpeed > 0 ? std::optional(JobSpeed{measuredSpeed}) : std::nullopt;

        QCOMPARE(summaryLine(summarizeOutput(rows, current, settings, speed, {encodedAgain, {}})),
                 line);
    }

    // A job's measured speed foretells that job's own time.
    void aMeasuredSpeedForetellsItsJob()
    {
        for (JoinWay way : {JoinWay::Copy, JoinWay::OnePass, JoinWay::TwoStages}) {
            const auto speed = measuredSpeed(way, 80'000'000, 60, 1920 * 1080, 12.5);
            QVERIFY(speed);
            QCOMPARE(jobSecondsAt(way, *speed, 80'000'000, 60, 1920 * 1080), 12.5);
        }
        QVERIFY(!measuredSpeed(JoinWay::Copy, 80'000'000, 60, 1920 * 1080, 0.05));
    }
};

QTEST_GUILESS_MAIN(OutputSummaryTest)
#include "test_output_summary.moc"
