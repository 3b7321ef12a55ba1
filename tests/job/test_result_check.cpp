#include "job/ResultCheck.h"

#include <QTest>

Q_DECLARE_METATYPE(ResultCheck::Figures)

// What the completion message adds for each kind of result, from the figures alone.
class TestResultCheck : public QObject
{
    Q_OBJECT

    using Figures = ResultCheck::Figures;

    // A 60-second join whose tracks start at 0 and last as given.
    static Figures joined(std::optional<double> video, std::optional<double> audio)
    {
        Figures figures;
        figures.expectedLength = 60.0;
        if (video)
            figures.output.video = TrackTimes{0, *video};
        if (audio)
            figures.output.audio = TrackTimes{0, *audio};
        return figures;
    }
    static Figures withOffset(double offset)
    {
        Figures figures = joined(60.0, 60.0);
        figures.offsets = {{2, 20.0, 0.01, {}}, {3, 40.0, offset, {}}};
        return figures;
    }

private slots:
    void remark_data()
    {
        QTest::addColumn<Figures>("figures");
        QTest::addColumn<QString>("remark");
        QTest::newRow("lengths equal") << joined(60.0, 60.0) << "";
        QTest::newRow("0.4 s short") << joined(59.6, 59.6) << "";
        QTest::newRow("0.6 s short")
            << joined(59.4, 59.4)
            << "The joined video is 59.4 s long, 0.6 s shorter than the videos together (60.0 s).";
        QTest::newRow("2.1 s long")
            << joined(62.1, 62.1)
            << "The joined video is 62.1 s long, 2.1 s longer than the videos together (60.0 s).";
        QTest::newRow("sound ends 0.05 s early") << joined(60.0, 59.95) << "";
        QTest::newRow("sound ends 0.2 s early")
            << joined(60.0, 59.8)
            << "The sound of the joined video ends 0.20 s before its picture.";
        Figures lateSound = joined(60.0, 60.0);
        lateSound.output.audio->start = 0.15;
        QTest::newRow("sound starts 0.15 s late")
            << lateSound << "The sound of the joined video ends 0.15 s after its picture.";
        QTest::newRow("offset of 0.08 s") << withOffset(-0.08) << "";
        QTest::newRow("offset of 0.12 s")
            << withOffset(-0.12)
            << "The sound of part 3 of the joined video starts 0.12 s before its picture, at "
               "40.0 s.";
        QTest::newRow("no audio track from clips with sound")
            << joined(60.0, std::nullopt) << "The joined video has no sound.";
        Figures silent = joined(60.0, std::nullopt);
        silent.inputsHaveSound = false;
        QTest::newRow("no audio track from silent clips") << silent << "";
        QTest::newRow("no track read") << joined(std::nullopt, std::nullopt) << "";
        Figures unknownLength = joined(30.0, 30.0);
        unknownLength.expectedLength.reset();
        QTest::newRow("a row of unknown length") << unknownLength << "";
    }
    void remark()
    {
        QFETCH(Figures, figures);
        QFETCH(QString, remark);
        QCOMPARE(ResultCheck::remark(figures), remark);
    }

    // The encoder's lines on a finished join, as the program reads them, and what it says of
    // them. "Read back: clips" stands in for the rows' lengths, here 2000 s as a recording's
    // header says when its clock jumps.
    void remarkOnEncoderLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("remark");
        const QString tracks =
            QStringLiteral("Read back: clips 120.000s; video 0.000s to 120.000s; audio 0.000s to "
                           "120.010s");
        const QString joined = QStringLiteral("Join 2 at 60.000s: A/V offset %1s");
        const QString clip = QStringLiteral("Join 2 at 60.000s: clip A/V offset %1s");
        QTest::newRow("the clip's own late sound kept")
            << QStringList{joined.arg("+0.300"), clip.arg("+0.300"), tracks} << "";
        QTest::newRow("the clip's early sound cut at its picture")
            << QStringList{joined.arg("+0.000"), clip.arg("-0.400"), tracks} << "";
        QTest::newRow("sound moved half a second ahead")
            << QStringList{joined.arg("-0.490"), clip.arg("+0.010"), tracks}
            << "The sound of part 2 of the joined video starts 0.49 s before its picture, at "
               "60.0 s; in its own video it starts 0.01 s after it.";
        QTest::newRow("an older encoder's line alone")
            << QStringList{joined.arg("+0.200"), tracks}
            << "The sound of part 2 of the joined video starts 0.20 s after its picture, at "
               "60.0 s.";
        QTest::newRow("a clock jump the header counts")
            << QStringList{"Read back: clips 4.000s; video 0.000s to 4.000s; audio 0.000s to "
                           "4.010s"}
            << "";
        QTest::newRow("sound read back short")
            << QStringList{"Read back: clips 120.000s; video 0.000s to 120.000s; audio 0.000s "
                           "to 119.700s"}
            << "The sound of the joined video ends 0.30 s before its picture.";
        QTest::newRow("a further sound track read back short")
            << QStringList{tracks, "Read back: sound track 2 ends at 120.000s",
                           "Read back: sound track 3 ends at 60.010s"}
            << "Sound track 3 of the joined video ends 59.99 s before its picture.";
        QTest::newRow("picture read back short")
            << QStringList{"Read back: clips 120.000s; video 0.000s to 118.000s"}
            << "The joined video is 118.0 s long, 2.0 s shorter than the videos together "
               "(120.0 s).";
        QTest::newRow("a seam that does not decode")
            << QStringList{tracks, "Read back: part 2 at 60.000s: picture not decodable"}
            << "The picture of the joined video does not decode where part 2 begins, at 60.0 s.";
        QTest::newRow("pictures shown twice")
            << QStringList{tracks, "Read back: part 3 at 90.500s: pictures shown twice"}
            << "The joined video shows pictures twice where part 3 begins, at 90.5 s.";
        QTest::newRow("rotation lost")
            << QStringList{tracks, "Read back: part 1 at 0.000s: turned 90 degrees, joined "
                                   "video 0 degrees"}
            << "The joined video is shown turned 0 degrees, but part 1 is turned 90 degrees.";
        QTest::newRow("pixel shape changed")
            << QStringList{tracks, "Read back: part 2 at 60.000s: pixel aspect 1.333, joined "
                                   "video 1.000"}
            << "The pixels of the joined video are 1.00 times as wide as high, but those of "
               "part 2 are 1.33 times.";
    }
    void remarkOnEncoderLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, remark);
        JoinReport report;
        for (const QString& line : lines)
            QVERIFY2(takeJoinReportLine(report, line), qPrintable(line));
        QVERIFY(!takeJoinReportLine(report, QStringLiteral("Skipping a damaged packet in a.mp4.")));
        const ResultCheck::Figures figures = ResultCheck::measure({}, {}, 2000.0, report);
        QCOMPARE(ResultCheck::remark(figures), remark);
    }
};

QTEST_GUILESS_MAIN(TestResultCheck)
#include "test_result_check.moc"
