// MEncoder's status line, which the program reads for "Pos:", and the closing summary.
#include "EncoderProgramRun.h"
#include "StatusReporter.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using asapi::StatusFigures;

class EncoderStatusLineTest : public QObject
{
    Q_OBJECT

private slots:
    void lineIsMEncodersFormat_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<int>("frames");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<double>("elapsed");
        QTest::addColumn<qint64>("fileBytes");
        QTest::addColumn<double>("audioMinusVideo");
        QTest::addColumn<qint64>("videoBytes");
        QTest::addColumn<qint64>("audioBytes");
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("first frame")
            << 1 / 30.0 << 1 << 0.0 << 0.01 << qint64(6000) << -0.033 << qint64(5000) << qint64(0)
            << QByteArray(
                   "Pos:   0.0s      1f ( 0%)  0.00fps Trem:   0min   0mb  A-V:-0.033 [0:0]\r");
        QTest::newRow("half way")
            << 61.5 << 1845 << 0.5 << 40.0 << qint64(9437184) << 0.012 << qint64(7687500)
            << qint64(990000)
            << QByteArray(
                   "Pos:  61.5s   1845f (50%) 46.12fps Trem:   0min  18mb  A-V:0.012 [1000:128]\r");
        // The parts' lengths summed in seconds: 0.92 + 0.04 is a little over 0.96.
        QTest::newRow("done, the parts' lengths summed")
            << 1.92 << 48 << 1.92 / (2 * (0.92 + 0.04)) << 0.0 << qint64(0) << 0.0 << qint64(0)
            << qint64(0)
            << QByteArray(
                   "Pos:   1.9s     48f (100%)  0.00fps Trem:   0min   0mb  A-V:0.000 [0:0]\r");
        QTest::newRow("wider than the fields")
            << 123456.7 << 3703701 << 0.999 << 7200.0 << qint64(5000000000) << 0.0
            << qint64(1000000) << qint64(1000)
            << QByteArray("Pos:123456.7s 3703701f (99%) "
                          "514.40fps Trem:   0min 4773mb  "
                          "A-V:0.000 [0:0]\r");
    }

    void lineIsMEncodersFormat()
    {
        QFETCH(double, position);
        QFETCH(int, frames);
        QFETCH(double, fraction);
        QFETCH(double, elapsed);
        QFETCH(qint64, fileBytes);
        QFETCH(double, audioMinusVideo);
        QFETCH(qint64, videoBytes);
        QFETCH(qint64, audioBytes);
        QFETCH(QByteArray, line);
        StatusFigures figures;
        figures.position = position;
        figures.frames = frames;
        figures.fraction = fraction;
        figures.elapsed = elapsed;
        figures.fileBytes = fileBytes;
        figures.audioMinusVideo = audioMinusVideo;
        figures.videoBytes = videoBytes;
        figures.audioBytes = audioBytes;
        figures.audioPosition = position + audioMinusVideo;
        QCOMPARE(QByteArray::fromStdString(asapi::formatStatusLine(figures)), line);
    }

    void summaryIsMEncodersTwoLines()
    {
        StatusFigures figures;
        figures.position = 10.0;
        figures.frames = 300;
        figures.videoBytes = 1000000;
        figures.audioPosition = 10.0;
        figures.audioBytes = 160000;
        QCOMPARE(QByteArray::fromStdString(asapi::formatSummary(figures)),
                 QByteArray("\nVideo stream:  800.000 kbit/s  (100000 B/s)  size: 1000000 bytes  "
                            "10.000 secs  300 frames\n"
                            "\nAudio stream:  128.000 kbit/s  (16000 B/s)  size: 160000 bytes  "
                            "10.000 secs\n"));
    }

    // The offset carries its sign and three decimals; one that rounds to nothing is +0.000.
    void joinLineIsALineOfItsOwn_data()
    {
        QTest::addColumn<int>("part");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("offset");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("sound late")
            << 2 << 60.0 << 0.012 << QByteArray("Join 2 at 60.000s: A/V offset +0.012s\n");
        QTest::newRow("sound early")
            << 3 << 120.5 << -0.0213 << QByteArray("Join 3 at 120.500s: A/V offset -0.021s\n");
        QTest::newRow("early by less than a millisecond")
            << 10 << 1.0 / 3 << -0.0004 << QByteArray("Join 10 at 0.333s: A/V offset +0.000s\n");
    }

    void joinLineIsALineOfItsOwn()
    {
        QFETCH(int, part);
        QFETCH(double, start);
        QFETCH(double, offset);
        QFETCH(QByteArray, line);
        QCOMPARE(QByteArray::fromStdString(asapi::formatJoinLine({part, start, offset, {}})), line);
    }

    // A real join: one line per frame written, each exactly as MEncoder's printf makes it, Pos
    // counting the joined output, then the summary.
    void realRunReportsEveryFrame()
    {
        QTemporaryDir work;
        const QString output = work.filePath(QStringLiteral("status.avi"));
        const EncoderProgramRun run = runEncoder(
            QStringList{clipPath(QStringLiteral("clip.mp4")), clipPath(QStringLiteral("clip.wmv")),
                        QStringLiteral("-o"), output} +
            optionWords(QStringLiteral("-ovc lavc -oac mp3lame -ofps 30 "
                                       "-vf scale=160:120")));
        QCOMPARE(run.exitCode, 0);

        QList<QByteArray> pieces = run.output.split('\r');
        const QByteArray summary = pieces.takeLast();
        QVERIFY(summary.startsWith("\nVideo stream: "));
        QVERIFY(summary.contains("120 frames\n\nAudio stream: "));
        QCOMPARE(pieces.size(), 120);

        static const QRegularExpression line(QStringLiteral(
            R"(^Pos: *([0-9.]+)s *(\d+)f \( *(\d+)%\) *([0-9.]+)fps Trem: *(\d+)min *(\d+)mb  A-V:(-?[0-9.]+) \[(\d+):(\d+)\]$)"));
        double previous = 0.0;
        for (int i = 0; i < pieces.size(); ++i) {
            const auto match = line.match(QString::fromLatin1(pieces[i]));
            QVERIFY2(match.hasMatch(), pieces[i].constData());
            const double position = match.captured(1).toDouble();
            const int frames = match.captured(2).toInt();
            // Printed again with MEncoder's own format, the line must come out the same.
            const QByteArray reprinted =
                QString::asprintf("Pos:%6.1fs %6df (%2d%%) %5.2ffps Trem:%4dmin %3dmb  A-V:%5.3f "
                                  "[%d:%d]",
                                  position, frames, match.captured(3).toInt(),
                                  match.captured(4).toDouble(), match.captured(5).toInt(),
                                  match.captured(6).toInt(), match.captured(7).toDouble(),
                                  match.captured(8).toInt(), match.captured(9).toInt())
                    .toLatin1();
            QCOMPARE(pieces[i], reprinted);
            QCOMPARE(frames, i + 1);
            QCOMPARE(position, std::floor(frames / 30.0 * 10 + 0.5) / 10);
            QVERIFY(position >= previous);
            previous = position;
        }
        QCOMPARE(previous, 4.0);
    }
};

QTEST_GUILESS_MAIN(EncoderStatusLineTest)
#include "test_encoder_status_line.moc"
