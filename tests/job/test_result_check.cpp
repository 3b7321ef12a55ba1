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
        figures.offsets = {{2, 20.0, 0.01}, {3, 40.0, offset}};
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
};

QTEST_GUILESS_MAIN(TestResultCheck)
#include "test_result_check.moc"
