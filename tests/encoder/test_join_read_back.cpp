// The encoder reading finished joins back, and the program's remark on what it reports: a fault
// that a file holds is found in it, and what an input brings with it is not blamed on the join.
#include "EncoderClips.h"
#include "EncoderProgramRun.h"
#include "JoinReadBack.h"
#include "MediaFacts.h"
#include "job/ResultCheck.h"
#include "tasks/Durations.h"
#include "tasks/MediaProbe.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QString remarkOn(const QString& encoderOutput, std::optional<double> rowsLength)
{
    JoinReport report;
    for (const QString& line : encoderOutput.split(QRegularExpression(QStringLiteral("[\r\n]"))))
        takeJoinReportLine(report, line);
    return ResultCheck::remark(ResultCheck::measure({}, {}, rowsLength, report));
}

// Where the hand-made join's second part begins: its last keyframe, the part having one only.
double lastKeyframe(const QString& path)
{
    double last = 0.0;
    for (const QByteArray& line : probedEntries(path, "v", "packet=pts_time,flags"))
        if (line.contains('K'))
            last = line.split(',').value(0).toDouble();
    return last;
}

} // namespace

class JoinReadBackTest : public QObject
{
    Q_OBJECT

private slots:
    // joined-late-sound.mp4 was joined by ffmpeg from copy-a.mp4 and a part whose sound starts
    // 0.5 s after its picture. What the join meant to write is told here.
    void findsWhatTheFileHolds_data()
    {
        QTest::addColumn<double>("clipOffset");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QString>("remark"); // a pattern
        QTest::newRow("sound moved late at a join")
            << 0.0 << 0 << "^The sound of part 2 of the joined video starts 0\\.[45]\\d s after";
        QTest::newRow("the part's own late sound") << 0.5 << 0 << "^$";
        QTest::newRow("rotation lost")
            << 0.5 << 90
            << "^The joined video is shown turned 0 degrees, but part 1 is turned 90 degrees\\.$";
    }
    void findsWhatTheFileHolds()
    {
        QFETCH(double, clipOffset);
        QFETCH(int, rotation);
        QFETCH(QString, remark);
        const QString path = encoderClipPath(QStringLiteral("joined-late-sound.mp4"));
        const double seam = lastKeyframe(path);
        QVERIFY2(seam > 0.9 && seam < 1.1, qPrintable(QString::number(seam)));
        const double end = readMediaFacts(path).video.duration;
        asapi::WrittenJoin written;
        written.joins = {asapi::JoinPoint{2, seam, 0.0, clipOffset}};
        written.shapes.assign(2, asapi::PartShape{rotation, 1.0});
        written.clipsLength = written.videoEnd = end;
        written.decodeSeams = true;

        const asapi::ReadBackReport report =
            asapi::readJoinBack(path.toStdString(), path.toStdString(), written);
        QVERIFY(report.read);
        std::string lines;
        for (const asapi::JoinPoint& join : report.joins)
            lines += asapi::formatJoinLine(join);
        lines += asapi::formatReadBackLines(report);
        const QString said = remarkOn(QString::fromStdString(lines), std::nullopt);
        QVERIFY2(QRegularExpression(remark).match(said).hasMatch(),
                 qPrintable(QString::fromStdString(lines) + said));
    }

    // A recording whose clock jumps 1000 s between its halves is 4 s long, though its header
    // counts the jump: a join that re-encodes it is not "shorter than the videos together".
    void clockJumpIsNoShortJoin()
    {
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QStringList inputs{encoderClipPath(QStringLiteral("ts-clock-jump.ts")),
                                 encoderClipPath(QStringLiteral("copy-a.mp4"))};
        double rowsLength = 0.0;
        for (const QString& input : inputs) {
            MediaProbe probe;
            probe.probe(input);
            rowsLength += ParseDuration(probe.durationText());
        }
        QVERIFY2(rowsLength > 1000, qPrintable(QString::number(rowsLength)));
        const EncoderProgramRun run = runEncoder(
            inputs + QStringList{QStringLiteral("-o"), work.filePath(QStringLiteral("out.mp4"))} +
            optionWords(QStringLiteral("-ovc lavc -lavcopts vcodec=libx264:vbitrate=800 -oac lavc "
                                       "-lavcopts acodec=aac -ofps 30")));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QCOMPARE(remarkOn(QString::fromUtf8(run.output), rowsLength), QString());
    }

    // ffmpeg's concat demuxer joins the French sound of two clips and runs out where the third
    // clip, which has none, plays: the read-back finds where that track ends.
    void aSoundTrackThatEndsEarlyIsFound()
    {
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QString list = work.filePath(QStringLiteral("list.txt"));
        QFile listFile(list);
        QVERIFY(listFile.open(QIODevice::WriteOnly));
        for (const char* clip : {"tracks-a.mp4", "tracks-c.mp4", "tracks-b.mp4"})
            listFile.write("file '" + encoderClipPath(QLatin1String(clip)).toUtf8() + "'\n");
        listFile.close();
        const QString path = work.filePath(QStringLiteral("concat.mp4"));
        toolOutput("ffmpeg", {"-v", "error", "-f", "concat", "-safe", "0", "-i", list, "-map",
                              "0:v", "-map", "0:a", "-c", "copy", path});
        asapi::WrittenJoin written;
        written.clipsLength = written.videoEnd = 6.0;
        const asapi::ReadBackReport report =
            asapi::readJoinBack(path.toStdString(), path.toStdString(), written);
        const QString said =
            remarkOn(QString::fromStdString(asapi::formatReadBackLines(report)), std::nullopt);
        QVERIFY2(said.startsWith(QStringLiteral("Sound track 2 of the joined video ends 1.")),
                 qPrintable(said));
    }

    // A copy whose pictures were encoded again at a cut inside a part: the keyframe there is
    // decoded too. Here numbered.mp4's keyframe at 1.4 s is damaged.
    void aCutThatDoesNotDecodeIsFound()
    {
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QString path = work.filePath(QStringLiteral("damaged.mp4"));
        QVERIFY(QFile::copy(encoderClipPath(QStringLiteral("numbered.mp4")), path));
        qint64 position = -1;
        for (const QByteArray& line : probedEntries(path, "v", "packet=pts_time,pos,flags"))
            if (line.startsWith("1.4") && line.contains('K'))
                position = line.split(',').value(1).toLongLong();
        QFile file(path);
        QVERIFY(position > 0 && file.open(QIODevice::ReadWrite) && file.seek(position + 8));
        file.write(QByteArray(64, '\xff'));
        file.close();
        asapi::WrittenJoin written;
        written.shapes.assign(1, asapi::PartShape{});
        written.clipsLength = written.videoEnd = 3.0;
        written.decodeSeams = true;
        written.cuts = {asapi::PictureCut{1, 1.4}};
        const asapi::ReadBackReport report =
            asapi::readJoinBack(path.toStdString(), path.toStdString(), written);
        QCOMPARE(report.faults.size(), 1);
        QCOMPARE(report.faults.front().kind, asapi::PartFault::Kind::Undecodable);
        QCOMPARE(report.faults.front().at, 1.4);
    }
};

QTEST_GUILESS_MAIN(JoinReadBackTest)
#include "test_join_read_back.moc"
