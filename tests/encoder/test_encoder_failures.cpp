// The real encoder's failures: exit status, message, and what is left on disk.
#include "EncoderRun.h"
#include "MediaFacts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

QString encoderClipPath(const QString& name)
{
    return QDir(QStringLiteral(VANTOMEL_ENCODER_CLIPS)).filePath(name);
}

// "{clip.avi}" in an argument stands for that shared clip, "{out}" for the output path.
QStringList expand(const QStringList& words, const QString& output)
{
    QStringList arguments;
    for (QString word : words) {
        if (word == QLatin1String("{out}"))
            word = output;
        else if (word.startsWith(QLatin1Char('{')) && word.endsWith(QLatin1Char('}')))
            word = clipPath(word.mid(1, word.size() - 2));
        arguments << word;
    }
    return arguments;
}

const QString mp3 = QStringLiteral("-ovc lavc -oac mp3lame");

} // namespace

class EncoderFailuresTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_work;

private slots:
    void initTestCase() { QVERIFY(m_work.isValid()); }

    void refusedCommandLinesLeaveNoOutput_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");

        QTest::newRow("unknown option") << "avi"
                                        << "{clip.avi} -o {out} -foo 1"
                                        << "-foo is not an MEncoder option";
        QTest::newRow("WMA in MP4")
            << "mp4"
            << "{clip.avi} -o {out} -lavcopts vcodec=libx264 -oac lavc -lavcopts acodec=wmav2"
            << "The MP4 container cannot hold WMA audio.";
        QTest::newRow("PCM in MPG") << "mpg"
                                    << "{clip.avi} -o {out} -lavcopts vcodec=mpeg1video -oac pcm"
                                    << "The MPEG container cannot hold PCM audio.";
        QTest::newRow("MPEG-4 in VOB") << "vob"
                                       << "{clip.avi} -o {out} -oac lavc"
                                       << "The VOB container cannot hold mpeg4 video.";
        QTest::newRow("MP3 at 48000 Hz in FLV")
            << "flv"
            << "{clip.avi} -o {out} -lavcopts vcodec=flv -oac mp3lame -srate 48000"
            << "The FLV container cannot take audio at 48000 Hz.";
        QTest::newRow("AC-3 at 22050 Hz")
            << "avi"
            << "{clip.avi} -o {out} -oac lavc -lavcopts acodec=ac3 -srate 22050"
            << "The ac3 encoder cannot take audio at 22050 Hz.";
        QTest::newRow("six channels of MP2")
            << "avi"
            << "{clip.avi} -o {out} -oac lavc -lavcopts acodec=mp2 -channels 6"
            << "The mp2 encoder cannot take 6 audio channels.";
        QTest::newRow("missing input") << "avi"
                                       << "{clip.avi} {nothing.avi} -o {out} -ovc lavc"
                                       << "Cannot open file/device.";
        QTest::newRow("not a video") << "avi"
                                     << "{clip.avi} {text.avi} -o {out} -ovc lavc"
                                     << "Cannot open file/device.";
        QTest::newRow("empty file") << "avi"
                                    << "{empty.avi} -o {out} -ovc lavc"
                                    << "Cannot open file/device.";
        QTest::newRow("sound only") << "avi"
                                    << "{clip.avi} {novideo.mp4} -o {out} -ovc lavc"
                                    << "has no video.";
        QTest::newRow("truncated") << "avi"
                                   << "{truncated.mp4} -o {out} -ovc lavc"
                                   << "Cannot open file/device.";
    }

    void refusedCommandLinesLeaveNoOutput()
    {
        QFETCH(QString, extension);
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        const QString output = m_work.filePath(QStringLiteral("refused.") + extension);
        const QStringList words = expand(optionWords(arguments), output);
        const EncoderRun run = runEncoder(words);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(message.toUtf8()), run.errors.constData());
        // A fault of one input names it.
        if (message.startsWith(QLatin1String("Cannot open")) ||
            message.startsWith(QLatin1String("has no"))) {
            const QString culprit = words.at(words.indexOf(QStringLiteral("-o")) - 1);
            QVERIFY2(run.errors.contains(culprit.toUtf8()), run.errors.constData());
        }
        QVERIFY(!QFile::exists(output));
    }

    // A refused run does not touch a file that already stands at the output path.
    void refusalLeavesAnExistingOutputAlone()
    {
        const QString output = m_work.filePath(QStringLiteral("earlier.mp4"));
        QFile earlier(output);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier film");
        earlier.close();
        const EncoderRun run =
            runEncoder({clipPath(QStringLiteral("clip.avi")), QStringLiteral("-o"), output,
                        QStringLiteral("-oac"), QStringLiteral("pcm")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("earlier film"));
    }

    void outputThatIsAnInputIsRefused()
    {
        const QString input = m_work.filePath(QStringLiteral("own.avi"));
        QVERIFY(QFile::copy(clipPath(QStringLiteral("clip.avi")), input));
        const qint64 size = QFileInfo(input).size();
        const EncoderRun run =
            runEncoder(QStringList{input, QStringLiteral("-o"), input} + optionWords(mp3));
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.errors.contains("is also an input"));
        QCOMPARE(QFileInfo(input).size(), size);
    }

    // A write that fails half-way (here a file size limit, as a full disk would) removes the
    // partial output.
    void failedWriteRemovesThePartialOutput()
    {
        const QString output = m_work.filePath(QStringLiteral("too big.avi"));
        QProcess process;
        process.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), QStringLiteral("ulimit -f 64; exec \"$0\" \"$@\""),
                       encoderProgram(), encoderClipPath(QStringLiteral("long.avi")),
                       QStringLiteral("-o"), output, QStringLiteral("-ovc"), QStringLiteral("lavc"),
                       QStringLiteral("-oac"), QStringLiteral("mp3lame")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(process.readAllStandardError().contains(output.toUtf8()));
        QVERIFY(!QFile::exists(output));
    }

    void stopSignalFinishesTheFile_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void stopSignalFinishesTheFile()
    {
        QFETCH(int, signal);
        const QString output = m_work.filePath(QStringLiteral("stopped.mp4"));
        QProcess process;
        process.start(
            encoderProgram(),
            QStringList{encoderClipPath(QStringLiteral("long.avi")), QStringLiteral("-o"), output} +
                optionWords(QStringLiteral("-ovc lavc -lavcopts vcodec=libx264 "
                                           "-oac lavc -lavcopts acodec=aac")));
        QVERIFY(process.waitForStarted());
        // Stop once the first status line is out.
        QByteArray seen;
        while (!seen.contains("Pos:") && process.waitForReadyRead(30000))
            seen += process.readAllStandardOutput();
        QVERIFY(seen.contains("Pos:"));
        ::kill(static_cast<pid_t>(process.processId()), signal);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 2);

        const MediaFacts facts = readMediaFacts(output);
        QVERIFY(facts.opened);
        QCOMPARE(facts.video.codec, QStringLiteral("h264"));
        QVERIFY(facts.video.duration > 0.0);
        QVERIFY2(facts.video.duration < 7.5, qPrintable(QString::number(facts.video.duration)));
        QVERIFY(std::abs(facts.audioMinusVideo()) < 0.1);
    }
};

QTEST_GUILESS_MAIN(EncoderFailuresTest)
#include "test_encoder_failures.moc"
