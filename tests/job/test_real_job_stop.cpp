#include "RealProgram.h"
#include "encoder/MediaFacts.h"
#include "job/JoinJob.h"
#include "support/Clips.h"
#include "support/Completion.h"
#include "support/RecordingSeams.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QProgressBar>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <unistd.h>

// Stop pressed at many moments of a real job, through the real windows; and the encoder stopped
// by a signal from outside the program (a logout, kill) at moments of the join.
class TestRealJobStop : public QObject
{
    Q_OBJECT

    std::unique_ptr<ProgramCopy> m_program;
    QTemporaryDir m_outputs;
    // Three inputs long enough for a join that lasts a while.
    QTemporaryDir m_longClips;
    QStringList m_longInputs;
    static constexpr int kLongClipSeconds = 20;

    static QByteArray checksum(const QString& path)
    {
        return QCryptographicHash::hash(fileContents(path), QCryptographicHash::Sha256).toHex();
    }

    // The encoder that `parent` (this program, by default) runs now and that writes `output`.
    static pid_t encoderWriting(const QString& output, pid_t parent = getpid())
    {
        const QByteArray self = QByteArray::number(parent);
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool isProcess = false;
            const int pid = entry.toInt(&isProcess);
            if (!isProcess)
                continue;
            const QByteArray stat = fileContents(QStringLiteral("/proc/%1/stat").arg(pid));
            // "pid (name) state ppid ..."
            const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
            if (fields.size() < 2 || fields[1] != self)
                continue;
            const QList<QByteArray> arguments =
                fileContents(QStringLiteral("/proc/%1/cmdline").arg(pid)).split('\0');
            if (arguments.contains(QFile::encodeName(output)))
                return pid;
        }
        return 0;
    }

    // ffprobe's length of a file's container in seconds; -1 when it cannot read the file.
    static double probedLength(const QString& path)
    {
        QProcess probe;
        probe.start(QStringLiteral("ffprobe"),
                    {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                     QStringLiteral("format=duration"), QStringLiteral("-of"),
                     QStringLiteral("default=nw=1:nk=1"), path});
        if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit ||
            probe.exitCode() != 0)
            return -1;
        bool number = false;
        const double length = probe.readAllStandardOutput().trimmed().toDouble(&number);
        return number ? length : -1;
    }

    // What the rows show after a Stop in the conversion stage, from what they showed when it was
    // pressed: every row being converted shows "Stop", the converted ones keep "Waiting for
    // joining". So does the next row when the Stop came before its run began: always when no run
    // was going on; with runs side by side the moment decides.
    static bool showsConversionStop(const QStringList& atStop, const QStringList& after,
                                    bool sideBySide)
    {
        const bool converting = atStop.contains(QStringLiteral("Converting"));
        bool nextRow = true;
        for (int k = 0; k < atStop.size(); ++k) {
            QStringList allowed{atStop[k]};
            if (atStop[k] == QStringLiteral("Converting")) {
                allowed = QStringList{QStringLiteral("Stop")};
            } else if (atStop[k] == QStringLiteral("OK") && nextRow) {
                nextRow = false;
                if (!converting)
                    allowed = QStringList{QStringLiteral("Stop")};
                else if (sideBySide)
                    allowed << QStringLiteral("Stop");
            }
            if (!allowed.contains(after.value(k)))
                return false;
        }
        return true;
    }

    // The run that a Stop pressed now interrupts, by what the rows show: the row being
    // converted; between two conversions the next one; -1 the join.
    static int runInterruptedAt(const QStringList& statuses)
    {
        if (const qsizetype converting = statuses.indexOf(QStringLiteral("Converting"));
            converting >= 0)
            return int(converting);
        if (statuses.contains(QStringLiteral("Joining")))
            return -1;
        return int(statuses.indexOf(QStringLiteral("OK")));
    }

private slots:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramCopy>(programDirectory());
        QVERIFY(m_program->isValid());
        QVERIFY(m_outputs.isValid());
        QVERIFY(m_longClips.isValid());
        const QString first = m_longClips.filePath(QStringLiteral("long0.avi"));
        QProcess ffmpeg;
        ffmpeg.start(
            QStringLiteral("ffmpeg"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
             QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("testsrc=size=640x480:rate=30:duration=%1").arg(kLongClipSeconds),
             QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("sine=sample_rate=44100:duration=%1").arg(kLongClipSeconds),
             QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"),
             QStringLiteral("5"), QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), first});
        QVERIFY(ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0);
        m_longInputs << first;
        // Copies: the same path twice would be asked about.
        for (const QString& name : {QStringLiteral("long1.avi"), QStringLiteral("long2.avi")}) {
            QVERIFY(QFile::copy(first, m_longClips.filePath(name)));
            m_longInputs << m_longClips.filePath(name);
        }
    }

    // A stop signal from outside the program reaches the join's encoder (a logout signals the
    // encoder a moment before the program): the job fails with its own reason, and an output that
    // stood there stays byte for byte; where none stood, the shorter file the encoder finished is
    // left, the reason says so, and it is a valid video. The join runs the total bar from 50 to
    // 100 (one pass: from 0).
    void anOutsideStopNeverReplacesTheOutput_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("totalBar");
        QTest::addColumn<bool>("onePass");
        QTest::addColumn<bool>("oldFile");
        const QList<std::pair<int, const char*>> signals_{
            {SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}};
        const QList<std::pair<int, const char*>> moments{
            {55, "early"}, {75, "middle"}, {90, "late"}};
        for (const bool oldFile : {true, false})
            for (const auto& [signal, name] : signals_)
                for (const auto& [bar, moment] : moments)
                    QTest::addRow("%s %s, %s", name, moment,
                                  oldFile ? "over an existing output" : "no output there")
                        << signal << bar << false << oldFile;
        for (const auto& [signal, name] : signals_)
            QTest::addRow("%s middle, one pass, over an existing output", name)
                << signal << 50 << true << true;
    }

    void anOutsideStopNeverReplacesTheOutput()
    {
        QFETCH(int, signal);
        QFETCH(int, totalBar);
        QFETCH(bool, onePass);
        QFETCH(bool, oldFile);

        m_program->writePreferences(onePass ? "One Pass=1\r\n" : "");
        const QString output = m_outputs.filePath(QStringLiteral("signalled.avi"));
        // A loaded machine can keep this process from looking at the bar until the encoder has
        // already finished: the moment is missed, the join completes, and the run is made again.
        std::unique_ptr<RecordingSeams> doubles;
        std::unique_ptr<RealWindows> windows;
        QByteArray oldChecksum;
        QStringList outputFolder;
        pid_t signalled = 0;
        for (int attempt = 1; attempt <= 3 && signalled == 0; ++attempt) {
            if (attempt > 1)
                qInfo("attempt %d: the encoder had finished before the bar showed %d", attempt,
                      totalBar);
            m_program->removeKeptLogs();
            windows.reset(); // before the doubles it was given
            doubles = std::make_unique<RecordingSeams>();
            windows = std::make_unique<RealWindows>(doubles->seams(), *m_program, m_longInputs);
            // The moment is taken from the bar, so the bar shows every position the encoder
            // reports.
            windows->main().job()->setProgressInterval(0);
            QCOMPARE(windows->statuses().size(), 3);
            QVERIFY(windows->selectProfile(QStringLiteral("AVI - MPEG-4 and MP3")));
            QFile::remove(output);
            if (oldFile)
                QVERIFY(QFile::copy(clipPath("clip.wmv"), output));
            oldChecksum = checksum(output);
            outputFolder = folderEntries(m_outputs.path());
            windows->setOutputFile(output);

            const auto byProgress =
                QObject::connect(windows->control<QProgressBar>("pgbTotal"),
                                 &QProgressBar::valueChanged, &windows->main(), [&](int value) {
                                     if (signalled == 0 && value >= totalBar &&
                                         (signalled = encoderWriting(output)) > 0)
                                         ::kill(signalled, signal);
                                 });
            windows->pressStart();
            QObject::disconnect(byProgress);
        }
        QVERIFY(signalled > 0);
        QCOMPARE(doubles->messages.shown.size(), 1);
        QCOMPARE(doubles->messages.shown.first().caption, QStringLiteral("Error"));
        const QString kept =
            QStringLiteral(" The shorter file it had written was kept at %1.").arg(output);
        QCOMPARE(doubles->messages.shown.first().text,
                 QStringLiteral("The joining failed.\nThe encoder was stopped.") +
                     (oldFile ? QString() : kept));
        QCOMPARE(windows->statuses(), QStringList(3, QStringLiteral("Failed")));
        QCOMPARE(windows->main().job()->runState(), RunState::Idle);
        QCOMPARE(m_program->leftInTempDirBesideLogs(), QStringList());
        QCOMPARE(m_program->keptLogs().size(), 1);
        m_program->removeKeptLogs();
        QVERIFY(windows->isReadyForAJob());
        if (oldFile) {
            QCOMPARE(checksum(output), oldChecksum);
            QCOMPARE(folderEntries(m_outputs.path()), outputFolder);
            qInfo("kept byte for byte: sha256 %s", oldChecksum.constData());
            return;
        }
        QCOMPARE(folderEntries(m_outputs.path()), QStringList(outputFolder)
                                                      << QStringLiteral("signalled.avi"));
        const MediaFacts facts = readMediaFacts(output);
        QVERIFY(facts.opened);
        const double whole = 3.0 * kLongClipSeconds;
        QVERIFY2(facts.video.duration > 0 && facts.video.duration < whole - 1,
                 qPrintable(QString::number(facts.video.duration)));
        QVERIFY2(std::abs(facts.audioMinusVideo()) < 0.1,
                 qPrintable(QString::number(facts.audioMinusVideo())));
        const double probed = probedLength(output);
        QVERIFY2(std::abs(probed - facts.video.duration) < 0.2,
                 qPrintable(QString::number(probed)));
        qInfo("shorter file: %.2f s of %.0f s (ffprobe %.2f s)", facts.video.duration, whole,
              probed);
        QFile::remove(output);
    }

    // Where the output's file system has no unnamed files (a FAT stick, many FUSE mounts), the
    // encoder writes under a hidden name beside the output. Neither a Stop nor the program's death
    // leaves that name behind, and a file that stood at the output path stays byte for byte.
    void withoutUnnamedFilesNoHiddenNameIsLeft_data()
    {
        QTest::addColumn<bool>("programDies"); // false: Stop is pressed
        QTest::addColumn<bool>("oldFile");
        for (const bool programDies : {false, true})
            for (const bool oldFile : {true, false})
                QTest::addRow("%s, %s", programDies ? "the program dies" : "Stop",
                              oldFile ? "over an existing output" : "no output there")
                    << programDies << oldFile;
    }

    void withoutUnnamedFilesNoHiddenNameIsLeft()
    {
        QFETCH(bool, programDies);
        QFETCH(bool, oldFile);
        m_program->writePreferences("One Pass=1\r\n");
        QTemporaryDir outputs;
        QVERIFY(outputs.isValid());
        const QString output = outputs.filePath(QStringLiteral("hidden.avi"));
        if (oldFile)
            QVERIFY(QFile::copy(clipPath("clip.wmv"), output));
        const QByteArray oldChecksum = checksum(output);
        const QStringList outputFolder = folderEntries(outputs.path());
        // The encoders started meanwhile inherit the environment.
        const QByteArray preload = qgetenv("LD_PRELOAD");
        qputenv("LD_PRELOAD", NO_UNNAMED_FILES);
        const auto restore = qScopeGuard([&] {
            if (preload.isNull())
                qunsetenv("LD_PRELOAD");
            else
                qputenv("LD_PRELOAD", preload);
        });
        const auto hiddenNameFilled = [&] {
            const QFileInfoList hidden =
                QDir(outputs.path())
                    .entryInfoList({QStringLiteral(".hidden.avi.*")}, QDir::Files | QDir::Hidden);
            return !hidden.isEmpty() && hidden.first().size() > 0;
        };

        if (programDies) {
            QProcess runner;
            runner.start(QStringLiteral(JOB_RUNNER),
                         QStringList{m_program->directory(), "AVI - MPEG-4 and MP3", output} +
                             m_longInputs);
            QVERIFY2(QTest::qWaitFor(hiddenNameFilled, 60000), "no hidden name filled in 60 s");
            const pid_t encoder = encoderWriting(output, pid_t(runner.processId()));
            QVERIFY(encoder > 0);
            runner.kill();
            QVERIFY(runner.waitForFinished());
            // Gone, or a zombie that nobody reaps.
            const auto ended = [encoder] {
                const QByteArray stat = fileContents(QStringLiteral("/proc/%1/stat").arg(encoder));
                return stat == "<missing>" || stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z";
            };
            const bool endedSoon = QTest::qWaitFor(ended, 10000);
            if (!endedSoon)
                ::kill(encoder, SIGKILL);
            QVERIFY2(endedSoon, "the encoder still ran 10 s after the program's death");
            // The dead program's job folder is the next job's to remove, and no test's.
            for (const QString& folder : m_program->leftInTempDir())
                QDir(m_program->tempDir() + folder).removeRecursively();
        } else {
            RecordingSeams doubles;
            RealWindows windows(doubles.seams(), *m_program, m_longInputs);
            QVERIFY(windows.selectProfile(QStringLiteral("AVI - MPEG-4 and MP3")));
            windows.setOutputFile(output);
            QTimer look;
            QObject::connect(&look, &QTimer::timeout, &windows.main(), [&] {
                if (hiddenNameFilled()) {
                    look.stop();
                    windows.pressStop();
                }
            });
            look.start(10);
            windows.pressStart();
            QVERIFY2(!look.isActive(), "the job ended before a hidden name was filled");
            QCOMPARE(doubles.messages.shown.size(), 1);
            QCOMPARE(doubles.messages.shown.first().text,
                     QStringLiteral("The Joining is canceled."));
        }
        QCOMPARE(folderEntries(outputs.path()), outputFolder);
        QCOMPARE(checksum(output), oldChecksum);
        QCOMPARE(m_program->leftInTempDir(), QStringList());
    }

    void stopLeavesNothingAndTheNextJobCompletes_data()
    {
        // Stop is pressed (an event, handled at the job's next look at its events) when a row
        // takes a status, or when the total bar first reaches a value. The clips last 2, 2 and
        // 1 s, so one conversion at a time holds the total bar at 0-20, 20-40 and 40-50, the join
        // at 50-100; a join in one pass runs from 0 to 100. interrupted: the row whose
        // conversion is stopped, or -1 for the join; -2 where the size of the encoder's reads or
        // the runs side by side decide. The join's last reads may come with its exit, so its
        // moments stay below 80%.
        QTest::addColumn<int>("runsAtOnce"); // 0: one pass
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("totalBar");
        QTest::addColumn<int>("interrupted");

        const QString converting = QStringLiteral("Converting");
        const QString waiting = QStringLiteral("Waiting for joining");
        const QString joining = QStringLiteral("Joining");
        QTest::newRow("first conversion begins") << 1 << converting << 0 << -1 << 0;
        QTest::newRow("between the first two runs") << 1 << waiting << 0 << -1 << 1;
        QTest::newRow("second conversion begins") << 1 << converting << 1 << -1 << 1;
        QTest::newRow("between the last two runs") << 1 << waiting << 1 << -1 << 2;
        QTest::newRow("last conversion begins") << 1 << converting << 2 << -1 << 2;
        QTest::newRow("after the last conversion") << 1 << waiting << 2 << -1 << -1;
        QTest::newRow("join list being built") << 1 << joining << 0 << -1 << -1;
        QTest::newRow("join begins") << 1 << joining << 2 << -1 << -1;
        for (const int bar : {5, 10, 15, 20, 25, 30, 35, 45, 55, 62, 70, 78})
            QTest::addRow("total bar at %d%%", bar)
                << 1 << QString() << 0 << bar << (bar > 50 ? -1 : -2);

        QTest::newRow("side by side, first conversion begins") << 2 << converting << 0 << -1 << 0;
        QTest::newRow("side by side, second conversion begins") << 2 << converting << 1 << -1 << -2;
        QTest::newRow("side by side, first row converted") << 2 << waiting << 0 << -1 << -2;
        QTest::newRow("side by side, last conversion begins") << 2 << converting << 2 << -1 << -2;
        for (const int bar : {25, 60})
            QTest::addRow("side by side, total bar at %d%%", bar)
                << 2 << QString() << 0 << bar << (bar > 50 ? -1 : -2);

        QTest::newRow("one pass, join list being built") << 0 << joining << 0 << -1 << -1;
        for (const int bar : {20, 50, 78})
            QTest::addRow("one pass, total bar at %d%%", bar) << 0 << QString() << 0 << bar << -1;
    }

    void stopLeavesNothingAndTheNextJobCompletes()
    {
        QFETCH(int, runsAtOnce);
        QFETCH(QString, status);
        QFETCH(int, row);
        QFETCH(int, totalBar);
        QFETCH(int, interrupted);

        m_program->writePreferences(runsAtOnce == 0 ? "One Pass=1\r\n" : "");
        RecordingSeams doubles;
        RealWindows windows(doubles.seams(), *m_program,
                            {clipPath("clip.avi"), clipPath("clip.mp4"), clipPath("noaudio.avi")});
        windows.setConversionRunsAtOnce(std::max(runsAtOnce, 1));
        // The moment is taken from the bar, so the bar shows every position the encoder reports.
        windows.main().job()->setProgressInterval(0);
        const int rows = windows.statuses().size();
        QCOMPARE(rows, 3);
        QVERIFY(windows.selectProfile(QStringLiteral("AVI - MPEG-4 and MP3")));
        // The user's old video at the output path: a Stop leaves it byte for byte.
        const QString output = m_outputs.filePath(QStringLiteral("stopped.avi"));
        QFile::remove(output);
        QVERIFY(QFile::copy(clipPath("clip.wmv"), output));
        const QByteArray oldOutput = fileContents(output);
        const QStringList outputFolder = folderEntries(m_outputs.path());
        windows.setOutputFile(output);

        bool stopLandedInAJob = false;
        QStringList statusesAtStop;
        bool armed = true;
        int attempt = 0;
        const auto pressStopOnce = [&] {
            if (!armed)
                return;
            armed = false;
            QTimer::singleShot(0, &windows.main(), [&, pressedIn = attempt] {
                // A Stop still queued when its job ended must not reach the next attempt.
                if (pressedIn != attempt)
                    return;
                stopLandedInAJob = windows.main().job()->runState() == RunState::Running;
                statusesAtStop = windows.statuses();
                windows.pressStop();
            });
        };
        const auto byStatus = QObject::connect(
            &windows.main().taskList(), &QAbstractItemModel::dataChanged, &windows.main(), [&] {
                if (!status.isEmpty() && windows.statuses().value(row) == status)
                    pressStopOnce();
            });
        const auto byProgress = QObject::connect(
            windows.control<QProgressBar>("pgbTotal"), &QProgressBar::valueChanged, &windows.main(),
            [&](int value) {
                // A new conversion starts from the position text its slot's last run left, so
                // the bar may pass 50% before the join: a moment of the join waits for it.
                const bool stageReached =
                    totalBar < 50 || windows.statuses().contains(QStringLiteral("Joining"));
                if (totalBar >= 0 && value >= totalBar && stageReached)
                    pressStopOnce();
            });

        windows.pressStart();
        // Under load the program may read the join's progress only once the encoder has put the
        // whole output in place: the Stop then comes too late, and the job truthfully completes.
        // That moment was missed, not mishandled; it is tried again, a few times at most.
        const auto joinedBeforeTheStop = [&] {
            return doubles.messages.shown.size() == 1 &&
                   doubles.messages.shown.first().text == completionText(output);
        };
        for (int retry = 0; retry < 3 && joinedBeforeTheStop(); ++retry) {
            QVERIFY(QFile::remove(output) && QFile::copy(clipPath("clip.wmv"), output));
            doubles.messages.shown.clear();
            stopLandedInAJob = false;
            armed = true;
            ++attempt;
            windows.pressStart();
        }
        QObject::disconnect(byStatus);
        QObject::disconnect(byProgress);

        QVERIFY2(!joinedBeforeTheStop(), "the job ended before the Stop could land, four times");
        QVERIFY(stopLandedInAJob);
        if (interrupted == -2)
            interrupted = runInterruptedAt(statusesAtStop);
        QVERIFY2(runInterruptedAt(statusesAtStop) == interrupted,
                 qPrintable(QStringLiteral("attempt %1, at the Stop: ").arg(attempt + 1) +
                            statusesAtStop.join(", ")));
        QCOMPARE(doubles.messages.shown.size(), 1);
        const RecordedMessage cancel = doubles.messages.shown.first();
        QCOMPARE(cancel.caption, QStringLiteral("Cancel"));
        if (interrupted >= 0) {
            QCOMPARE(cancel.text, QStringLiteral("The Coversion is canceled."));
            QVERIFY2(
                showsConversionStop(statusesAtStop, windows.statuses(), runsAtOnce > 1),
                qPrintable(statusesAtStop.join(", ") + " -> " + windows.statuses().join(", ")));
            QCOMPARE(windows.main().job()->runState(), RunState::Stopped);
        } else {
            QCOMPARE(cancel.text, QStringLiteral("The Joining is canceled."));
            QCOMPARE(windows.statuses(), QStringList(rows, QStringLiteral("Stop")));
            QCOMPARE(windows.main().job()->runState(), RunState::Idle);
        }
        QCOMPARE(m_program->leftInTempDir(), QStringList());
        QVERIFY(fileContents(output) == oldOutput);
        QCOMPARE(folderEntries(m_outputs.path()), outputFolder);
        QVERIFY(windows.isReadyForAJob());

        doubles.messages.shown.clear();
        ++attempt;
        windows.pressStart();
        QCOMPARE(doubles.messages.shown.size(), 1);
        QCOMPARE(doubles.messages.shown.first().text, completionText(output));
        QCOMPARE(windows.statuses(), QStringList(rows, QStringLiteral("Complete")));
        QVERIFY(QFileInfo(output).size() > 0 && fileContents(output) != oldOutput);
        QCOMPARE(m_program->leftInTempDir(), QStringList());
        QVERIFY(windows.isReadyForAJob());
    }
};

QTEST_MAIN(TestRealJobStop)
#include "test_real_job_stop.moc"
