// The real encoder's failures: exit status, message, and what is left on disk.
#include "EncoderClips.h"
#include "EncoderProgramRun.h"
#include "MediaFacts.h"
#include "support/Files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "{clip.avi}" in an argument stands for that clip, "{out}" for the output path.
QStringList expand(const QStringList& words, const QString& output)
{
    QStringList arguments;
    for (QString word : words) {
        if (word == QLatin1String("{out}"))
            word = output;
        else if (word.size() > 2 && word.startsWith(QLatin1Char('{')) &&
                 word.endsWith(QLatin1Char('}')))
            word = inputPath(word.mid(1, word.size() - 2));
        arguments << word;
    }
    return arguments;
}

const QString mp3 = QStringLiteral("-ovc lavc -oac mp3lame");
const QByteArray earlierFilm("earlier film");

// The encoder under a file size limit in KiB (0: none), as a full disk would stop it.
EncoderProgramRun runLimited(const QStringList& arguments, int fileSizeLimit)
{
    if (fileSizeLimit == 0)
        return runEncoder(arguments);
    QProcess process;
    process.start(QStringLiteral("/bin/sh"),
                  QStringList{QStringLiteral("-c"),
                              QStringLiteral("ulimit -f %1; exec \"$0\" \"$@\"").arg(fileSizeLimit),
                              encoderProgram()} +
                      arguments);
    process.waitForFinished(120000);
    EncoderProgramRun run;
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.errors = process.readAllStandardError();
    return run;
}

int statusLines(const QByteArray& output)
{
    return static_cast<int>(output.count("Pos:"));
}

// Whether the process has its own handler for the signal yet: the "SigCgt" mask of its status.
// A signal that comes before the handler is in place ends the process as a crash, however soon
// after its start, and a loaded machine can take long to load the encoder's libraries.
bool catchesSignal(qint64 pid, int signal)
{
    const QByteArray status = fileContents(QStringLiteral("/proc/%1/status").arg(pid));
    for (const QByteArray& line : status.split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    return false;
}

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
                                       << "Cannot open nothing.avi: No such file or directory.";
        QTest::newRow("not a video") << "avi"
                                     << "{clip.avi} {text.avi} -o {out} -ovc lavc"
                                     << "text.avi cannot be read as a video.";
        QTest::newRow("empty file") << "avi"
                                    << "{empty.avi} -o {out} -ovc lavc"
                                    << "empty.avi cannot be read as a video.";
        QTest::newRow("sound only") << "avi"
                                    << "{clip.avi} {novideo.mp4} -o {out} -ovc lavc"
                                    << "novideo.mp4 has no video.";
        QTest::newRow("truncated") << "avi"
                                   << "{truncated.mp4} -o {out} -ovc lavc"
                                   << "truncated.mp4 cannot be read as a video.";
        // Checking a copy opens the inputs.
        QTest::newRow("truncated, copy checked")
            << "mp4"
            << "-checkonly {clip.mp4} {truncated.mp4} -o {out} -ovc copy"
            << "truncated.mp4 cannot be read as a video.";
    }

    void refusedCommandLinesLeaveNoOutput()
    {
        QFETCH(QString, extension);
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        const QString output = m_work.filePath(QStringLiteral("refused.") + extension);
        const QStringList words = expand(optionWords(arguments), output);
        const EncoderProgramRun run = runEncoder(words);
        // The fault of one input, which the message names, has a status of its own: the
        // program tells it from settings it cannot take.
        const QString culprit =
            QFileInfo(words.at(words.indexOf(QStringLiteral("-o")) - 1)).fileName();
        QCOMPARE(run.exitCode, message.contains(culprit) ? 6 : 1);
        QVERIFY2(run.errors.contains(message.toUtf8()), run.errors.constData());
        // FFmpeg's own lines come marked, for the program to leave out of the reason.
        for (const QByteArray& line : run.errors.split('\n'))
            QVERIFY2(!line.contains(" @ 0x") || line.startsWith("[libav] "), line.constData());
        QVERIFY(!QFile::exists(output));
    }

    void outputThatIsAnInputIsRefused()
    {
        const QString input = m_work.filePath(QStringLiteral("own.avi"));
        QVERIFY(QFile::copy(clipPath(QStringLiteral("clip.avi")), input));
        const qint64 size = QFileInfo(input).size();
        const EncoderProgramRun run =
            runEncoder(QStringList{input, QStringLiteral("-o"), input} + optionWords(mp3));
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.errors.contains("is also an input"));
        QCOMPARE(QFileInfo(input).size(), size);
    }

    // An output is replaced only by a complete new file; a run that fails, early or half-way,
    // leaves the file that stood there as it was, and nothing beside it.
    void existingOutputIsReplacedOnlyByACompleteFile_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("fileSizeLimit"); // KiB, 0: none
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");

        QTest::newRow("completed")
            << "{clip.avi} -o {out} -ovc lavc -oac mp3lame" << 0 << 0 << QString();
        QTest::newRow("refused before writing")
            << "{clip.avi} -o {out} -oac lavc -lavcopts acodec=mp2 -channels 6" << 0 << 1
            << "The mp2 encoder cannot take 6 audio channels.";
        QTest::newRow("picture that cannot be decoded")
            << "{clip.avi} {undecodable.avi} -o {out} -ovc lavc -oac mp3lame" << 0 << 1
            << "undecodable.avi has no picture that can be decoded.";
        QTest::newRow("picture that cannot be decoded, encoded to match a copy")
            << "{copy-a.mp4} {undecodable.avi} -o {out} -ovc copy -oac copy -of mp4" << 0 << 1
            << "undecodable.avi has no picture that can be decoded.";
        QTest::newRow("sound that cannot be converted")
            << "{clip.avi} {hundred-channels.mkv} -o {out} -ovc lavc -oac mp3lame" << 0 << 1
            << "Cannot set up the audio conversion of hundred-channels.mkv: Invalid argument.";
        QTest::newRow("write failing half-way")
            << "{long.avi} -o {out} -ovc lavc -oac mp3lame" << 64 << 1 << "Cannot write {out}";
    }

    void existingOutputIsReplacedOnlyByACompleteFile()
    {
        QFETCH(QString, arguments);
        QFETCH(int, fileSizeLimit);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString output = folder.filePath(QStringLiteral("film.avi"));
        QVERIFY(writeFile(output, earlierFilm));
        QVERIFY(QFile::setPermissions(output, QFile::ReadOwner | QFile::WriteOwner));

        const EncoderProgramRun run =
            runLimited(expand(optionWords(arguments), output), fileSizeLimit);
        QVERIFY(!run.crashed);
        QCOMPARE(run.exitCode, exitCode);
        message.replace(QLatin1String("{out}"), output);
        QVERIFY2(run.errors.contains(message.toUtf8()), run.errors.constData());
        QCOMPARE(folderEntries(folder.path()), QStringList{QStringLiteral("film.avi")});
        if (exitCode != 0) {
            QCOMPARE(fileContents(output), earlierFilm);
            return;
        }
        QVERIFY(std::abs(readMediaFacts(output).video.duration - 2.0) < 0.1);
        // With the permissions of the file it replaced: a private film stays private.
        struct stat facts = {};
        QCOMPARE(::stat(QFile::encodeName(output).constData(), &facts), 0);
        QCOMPARE(facts.st_mode & 0777, mode_t(0600));
    }

    // However the encoder is killed (the program's Stop kills it), the file that stood at the
    // output path stays as it was, and nothing is left beside it.
    void killedRunLeavesTheOldOutputAndNothingElse_data()
    {
        QTest::addColumn<int>("linesBeforeKill");
        QTest::newRow("at once") << 0;
        QTest::newRow("at the first picture") << 1;
        QTest::newRow("half-way") << 200;
    }

    void killedRunLeavesTheOldOutputAndNothingElse()
    {
        QFETCH(int, linesBeforeKill);
        QTemporaryDir folder;
        const QString output = folder.filePath(QStringLiteral("film.avi"));
        QVERIFY(writeFile(output, earlierFilm));
        const QString input = encoderClipPath(QStringLiteral("long.avi"));
        QProcess process;
        process.start(encoderProgram(),
                      QStringList{input, input, input, input, QStringLiteral("-o"), output} +
                          optionWords(mp3));
        QVERIFY(process.waitForStarted());
        QByteArray seen;
        while (statusLines(seen) < linesBeforeKill && process.waitForReadyRead(30000))
            seen += process.readAllStandardOutput();
        QVERIFY(statusLines(seen) >= linesBeforeKill);
        process.kill();
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QCOMPARE(fileContents(output), earlierFilm);
        QCOMPARE(folderEntries(folder.path()), QStringList{QStringLiteral("film.avi")});
    }

    // A stop ends a run whose reading or writing waits, at once, and with nothing written.
    void stopEndsARunThatWaits_data()
    {
        QTest::addColumn<QString>("waitingOn");
        QTest::newRow("input FIFO without a writer") << "input";
        QTest::newRow("input FIFO whose writer stalls") << "stalled input";
        QTest::newRow("output FIFO without a reader") << "output";
    }

    void stopEndsARunThatWaits()
    {
        QFETCH(QString, waitingOn);
        QTemporaryDir folder;
        const QString fifo = folder.filePath(QStringLiteral("pipe.avi"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const bool waitsOnOutput = waitingOn == QLatin1String("output");
        const QString input = waitsOnOutput ? clipPath(QStringLiteral("clip.avi")) : fifo;
        const QString output = waitsOnOutput ? fifo : folder.filePath(QStringLiteral("film.avi"));

        QProcess encoder;
        encoder.start(encoderProgram(),
                      QStringList{input, QStringLiteral("-o"), output} + optionWords(mp3));
        QVERIFY(encoder.waitForStarted());
        QProcess writer;
        if (waitingOn == QLatin1String("stalled input")) {
            // The whole clip for the first look at the input, then a writer that writes
            // nothing once the encoder opens the input again to read it.
            writer.start(QStringLiteral("/bin/sh"),
                         {QStringLiteral("-c"),
                          QStringLiteral("cat \"$1\" > \"$2\"; sleep 0.3; exec 3> \"$2\"; "
                                         "echo reading; exec sleep 30"),
                          QStringLiteral("sh"), clipPath(QStringLiteral("clip.mpg")), fifo});
            QVERIFY(writer.waitForReadyRead(30000));
        }
        QTRY_VERIFY2_WITH_TIMEOUT(catchesSignal(encoder.processId(), SIGTERM),
                                  "the encoder set up no stop handler within 30 s", 30000);
        // The run goes on to its blocking open or read.
        QTest::qWait(300);
        QCOMPARE(encoder.state(), QProcess::Running);

        QElapsedTimer stopping;
        stopping.start();
        ::kill(static_cast<pid_t>(encoder.processId()), SIGTERM);
        QVERIFY(encoder.waitForFinished(10000));
        QVERIFY2(stopping.elapsed() < 1000, qPrintable(QString::number(stopping.elapsed())));
        QCOMPARE(encoder.exitStatus(), QProcess::NormalExit);
        QCOMPARE(encoder.exitCode(), 2);
        QCOMPARE(folderEntries(folder.path()), QStringList{QStringLiteral("pipe.avi")});
    }

    // A stop signal (Ctrl+C, a logout, kill) ends the reading and finishes the file properly.
    // The shorter file is kept where no file stood; a file that stood there is never replaced
    // by it: it stays byte for byte, the shorter one goes, and the encoder says so.
    void stopSignalFinishesTheFile_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("oldFile");
        for (const bool oldFile : {false, true}) {
            const char* where = oldFile ? "over an existing file" : "nothing there";
            QTest::addRow("SIGINT, %s", where) << SIGINT << oldFile;
            QTest::addRow("SIGTERM, %s", where) << SIGTERM << oldFile;
            QTest::addRow("SIGHUP, %s", where) << SIGHUP << oldFile;
        }
    }

    void stopSignalFinishesTheFile()
    {
        QFETCH(int, signal);
        QFETCH(bool, oldFile);
        QTemporaryDir folder;
        const QString output = folder.filePath(QStringLiteral("stopped.mp4"));
        if (oldFile)
            QVERIFY(writeFile(output, earlierFilm));
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
        const QByteArray errors = process.readAllStandardError();
        QCOMPARE(folderEntries(folder.path()), QStringList{QStringLiteral("stopped.mp4")});

        const QByteArray kept = "[warning] The run was stopped: the existing " + output.toUtf8() +
                                " is kept and the shorter file discarded.";
        if (oldFile) {
            QCOMPARE(fileContents(output), earlierFilm);
            QCOMPARE(errors.trimmed(), kept);
            return;
        }
        QVERIFY2(errors.isEmpty(), errors.constData());
        const MediaFacts facts = readMediaFacts(output);
        QVERIFY(facts.opened);
        QCOMPARE(facts.video.codec, QStringLiteral("h264"));
        QVERIFY(facts.video.duration > 0.0);
        QVERIFY2(facts.video.duration < 7.5, qPrintable(QString::number(facts.video.duration)));
        QVERIFY(std::abs(facts.audioMinusVideo()) < 0.1);
    }

    // A stop that comes once every input has been read leaves a complete file: it replaces the
    // old one as usual, and the run ends as done. The input is closed when its reading ends; the
    // encoder still drains its queue and the encoder's look-ahead then.
    void stopAfterEverythingWasReadLeavesACompleteFile()
    {
        QTemporaryDir folder;
        const QString output = folder.filePath(QStringLiteral("film.mp4"));
        QVERIFY(writeFile(output, earlierFilm));
        const QString input = encoderClipPath(QStringLiteral("long.avi"));
        QProcess process;
        process.start(encoderProgram(),
                      QStringList{input, QStringLiteral("-o"), output} +
                          optionWords(QStringLiteral("-ovc lavc -lavcopts vcodec=libx264 -vf "
                                                     "scale=1280:720 -oac lavc -lavcopts "
                                                     "acodec=aac")));
        QVERIFY(process.waitForStarted());
        QByteArray seen;
        while (!seen.contains("Pos:") && process.waitForReadyRead(30000))
            seen += process.readAllStandardOutput();
        QVERIFY(seen.contains("Pos:"));
        const pid_t encoder = static_cast<pid_t>(process.processId());
        const QString fds = QStringLiteral("/proc/%1/fd").arg(encoder);
        const auto reading = [&] {
            for (const QString& fd : QDir(fds).entryList(QDir::Files | QDir::System))
                if (QFile::symLinkTarget(fds + QLatin1Char('/') + fd) == input)
                    return true;
            return false;
        };
        QElapsedTimer waiting;
        waiting.start();
        while (reading() && waiting.elapsed() < 30000)
            ::usleep(200);
        // Still at work: its status is not that of a process that has ended.
        const QByteArray stat = fileContents(QStringLiteral("/proc/%1/stat").arg(encoder));
        QVERIFY2(!stat.isEmpty() && stat.mid(stat.lastIndexOf(')') + 2, 1) != "Z",
                 "the encoder had ended before the stop");
        QCOMPARE(::kill(encoder, SIGTERM), 0);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardError(), QByteArray());
        QCOMPARE(folderEntries(folder.path()), QStringList{QStringLiteral("film.mp4")});
        const MediaFacts facts = readMediaFacts(output);
        QVERIFY2(std::abs(facts.video.duration - 8.0) < 0.1,
                 qPrintable(QString::number(facts.video.duration)));
    }

    // -checkonly reads the command line and nothing else: no input is looked at, no output
    // made, and an output that stands there is left alone.
    void checkOnlyOpensNothing_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("taken, inputs missing")
            << "-checkonly {nothing.avi} {nothing.mp4} -o {out} -ovc lavc -oac mp3lame" << 0
            << QString();
        QTest::newRow("taken, inputs there")
            << "-checkonly {clip.avi} {clip.mp4} -o {out} -ovc lavc -lavcopts vbitrate=800" << 0
            << QString();
        QTest::newRow("taken, anywhere on the line")
            << "{clip.avi} -o {out} -ovc lavc -checkonly -oac mp3lame" << 0 << QString();
        QTest::newRow("empty bitrate")
            << "-checkonly {clip.avi} -o {out} -ovc lavc -lavcopts vbitrate= -oac mp3lame" << 1
            << "Suboption vbitrate needs a value.";
        QTest::newRow("garbage") << "-checkonly {clip.avi} -o {out} -ovc lavc -lavcopts xyz=1" << 1
                                 << "Unknown suboption xyz of -lavcopts.";
        QTest::newRow("no input") << "-checkonly -o {out}" << 1 << "No input file given.";
        QTest::newRow("taken, a part of an input")
            << "-checkonly { {clip.avi} -ss 1 -endpos 0.5 } -o {out} -ovc lavc" << 0 << QString();
        QTest::newRow("empty part") << "-checkonly { {clip.avi} -endpos 0 } -o {out} -ovc lavc" << 1
                                    << "-endpos 0 takes nothing of clip.avi.";
    }

    void checkOnlyOpensNothing()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString output = folder.filePath(QStringLiteral("film.avi"));
        QVERIFY(writeFile(output, earlierFilm));
        const QString fresh = folder.filePath(QStringLiteral("fresh.avi"));
        for (const QString& target : {output, fresh}) {
            const EncoderProgramRun run = runEncoder(expand(optionWords(arguments), target));
            QVERIFY(!run.crashed);
            QCOMPARE(run.exitCode, exitCode);
            QCOMPARE(run.output, QByteArray());
            QCOMPARE(QString::fromUtf8(run.errors).trimmed(),
                     message.isEmpty() ? message : "[refusal] " + message);
        }
        QCOMPARE(fileContents(output), earlierFilm);
        QCOMPARE(folderEntries(folder.path()), QStringList{QStringLiteral("film.avi")});
    }
};

QTEST_GUILESS_MAIN(EncoderFailuresTest)
#include "test_encoder_failures.moc"
