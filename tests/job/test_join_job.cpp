#include "FakeJobWindow.h"
#include "job/ClosingDuringJob.h"
#include "job/CompletionActions.h"
#include "job/EncoderCheck.h"
#include "job/JoinJob.h"
#include "support/Clips.h"
#include "support/Completion.h"
#include "support/RecordingSeams.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// The whole job against a fake encoder process that plays a script and records its arguments.
class TestJoinJob : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_fakeDir; // the fake encoder's script and logs
    QString m_log, m_script, m_checkLog;
    std::unique_ptr<FakeJobWindow> m_window;
    std::unique_ptr<RecordingSeams> m_doubles;
    std::unique_ptr<JoinJob> m_job;
    std::unique_ptr<CompletionActions> m_completionActions;
    std::optional<JobOutcome> m_outcome; // of the last job that ran

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString tempDir() const { return m_dir->path() + "/tmp/"; }

    void writeScript(const QByteArray& script)
    {
        QFile file(m_script);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(script);
    }
    static void touch(const QString& file, const QByteArray& content = "old")
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    static QByteArray contents(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // A folder holding film.avi in which no file can be made: for root, which may write whatever
    // the permissions say, a read-only mount. False where none can be had.
    static bool makeShutFolder(const QString& folder)
    {
        const QByteArray name = QFile::encodeName(folder);
        if (!QDir().mkpath(folder))
            return false;
        if (::geteuid() != 0) {
            touch(folder + "/film.avi");
            return ::chmod(name.constData(), 0555) == 0;
        }
        if (::mount("tmpfs", name.constData(), "tmpfs", 0, "size=64k") != 0)
            return false;
        touch(folder + "/film.avi");
        return ::mount(nullptr, name.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    static void openShutFolder(const QString& folder)
    {
        const QByteArray name = QFile::encodeName(folder);
        ::umount2(name.constData(), MNT_DETACH);
        ::chmod(name.constData(), 0755);
    }
    // Every file and folder below the test's folder, with its size: what a refused or failed
    // job must leave as it found it.
    QStringList everything() const
    {
        QStringList all;
        QDirIterator it(m_dir->path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            all << it.filePath() + ' ' + QString::number(it.fileInfo().size());
        }
        all.sort();
        return all;
    }
    // The job's own folder inside the temporary folder, from the first run's intermediate.
    QString jobFolder() const { return QFileInfo(runs().value(0).value(2)).path() + '/'; }
    QVector<QStringList> runs() const { return logged(m_log); }
    // The command lines the encoder was asked to check.
    QVector<QStringList> checks() const { return logged(m_checkLog); }
    static QVector<QStringList> logged(const QString& log)
    {
        QVector<QStringList> all;
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return all;
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.isEmpty())
                all << QString::fromUtf8(line).split(QChar(0x1f));
        return all;
    }
    QStringList captions() const
    {
        QStringList all;
        for (const auto& m : m_doubles->messages.shown)
            all << m.caption;
        return all;
    }
    // Presses Stop once the encoder has been started `runCount` times, and a file at `mark`, if
    // given, exists.
    void stopAfterRuns(int runCount, const QString& mark = {})
    {
        afterRuns(runCount, mark, [this] { m_job->stop(); });
    }
    void afterRuns(int runCount, const QString& mark, const std::function<void()>& action)
    {
        auto* poll = new QTimer(m_job.get());
        QObject::connect(poll, &QTimer::timeout, m_job.get(), [=, this] {
            if (runs().size() >= runCount && (mark.isEmpty() || QFileInfo::exists(mark))) {
                poll->deleteLater();
                action();
            }
        });
        poll->start(10);
    }
    // Every run first writes its process id to <fake dir>/<output name>.pid.
    QByteArray withPidFiles(const QByteArray& script) const
    {
        QByteArray lines;
        for (const QString name : {"0.avi", "1.avi", "2.avi", "film.avi"})
            lines +=
                ("#" + name + " pidfile " + m_fakeDir->filePath(name) + ".pid\n").toLocal8Bit();
        return lines + script;
    }
    // The encoders that were started and whose end the program has not seen: still running, or
    // dead and not yet reaped.
    QStringList encodersNotEnded() const
    {
        QStringList running;
        for (const QString& pidFile : QDir(m_fakeDir->path()).entryList({"*.pid"})) {
            const QByteArray pid = contents(m_fakeDir->filePath(pidFile)).trimmed();
            if (!pid.isEmpty() && QFileInfo::exists("/proc/" + pid)) // empty: killed while writing
                running << pidFile;
        }
        return running;
    }
    // Files and folders in the temporary folder.
    QStringList tempFiles() const
    {
        return QDir(tempDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    // The encoder log of a failed job: the temporary folder holds its folder, and that folder
    // the log and nothing else. Empty when it is not so.
    QString keptLog() const
    {
        const QStringList folders = tempFiles();
        if (folders.size() != 1)
            return QString();
        const QDir folder(tempDir() + folders.first());
        return folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) ==
                       QStringList{"encoder.log"}
                   ? folder.filePath("encoder.log")
                   : QString();
    }
    // Removes the failed job's folder with its log, after the test has looked at it.
    void removeKeptLog() const { QVERIFY(QDir(QFileInfo(keptLog()).path()).removeRecursively()); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_fakeDir = std::make_unique<QTemporaryDir>();
        m_log = m_fakeDir->filePath("runs.log");
        m_script = m_fakeDir->filePath("script.txt");
        qputenv("FAKE_ENCODER_LOG", m_log.toLocal8Bit());
        qputenv("FAKE_ENCODER_SCRIPT", m_script.toLocal8Bit());
        m_checkLog = m_fakeDir->filePath("checks.log");
        qputenv("FAKE_ENCODER_CHECK_LOG", m_checkLog.toLocal8Bit());
        qunsetenv("FAKE_ENCODER_CHECK");
        writeScript("output\n");
        m_window = std::make_unique<FakeJobWindow>();
        m_window->rows = {{path("a.mov"), 2}, {path("b c.avi"), 3}, {path("-x.mp4"), 5}};
        m_window->outputFile = path("film.avi");
        m_window->general.tempDir = tempDir();
        m_doubles = std::make_unique<RecordingSeams>();
        m_job = std::make_unique<JoinJob>(*m_window, *m_window, *m_window, m_window->general,
                                          m_doubles->seams(), FAKE_PROGRAM_DIR "asapi.dll",
                                          FAKE_PROGRAM_DIR "temp/", "Vantomel");
        m_completionActions =
            std::make_unique<CompletionActions>(*m_window, m_window->general, m_doubles->seams());
        attach(*m_job);
        // The order of a machine with one core, unless a test sets more.
        m_job->setConversionRunsAtOnce(1);
        // Every chunk shows the progress, whatever the fake encoder's pace.
        m_job->setProgressInterval(0);
    }
    // The window's completion actions follow the job's end, which is kept.
    void attach(JoinJob& job)
    {
        m_outcome.reset();
        connect(&job, &JoinJob::ended, this, [this](const JobOutcome& outcome) {
            m_outcome = outcome;
            m_completionActions->jobEnded(outcome);
        });
    }

    void cleanup()
    {
        m_job.reset();
        m_completionActions.reset();
        m_window.reset();
        m_doubles.reset();
        m_dir.reset();
        m_fakeDir.reset();
    }

    void startRefusals_data()
    {
        QTest::addColumn<int>("rowCount");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("focus");
        QTest::newRow("one video") << 1 << "film.avi"
                                   << "Add More Videos"
                                   << "Please add at least 2 videos to the task for joining."
                                   << "";
        QTest::newRow("no directory part")
            << 3 << "#film.avi"
            << "Output path does not exist"
            << "The output path does not exist. Please specify another one."
            << "edtOutputFile";
        QTest::newRow("missing directory")
            << 3 << "nowhere/film.avi"
            << "Output path does not exist"
            << "The output path does not exist. Please specify another one."
            << "edtOutputFile";
        // It could not be stored in the preferences without adding keys of its own.
        QTest::newRow("line break in the name")
            << 3 << "film\nAsk=0\n.avi"
            << "Icorrect Filename"
            << "The output file name holds a line break. Please specify another one."
            << "edtOutputFile";
        QTest::newRow("output is an input")
            << 3 << "b c.avi"
            << "Same File"
            << "The output file is one of the videos to join. Please specify another one."
            << "edtOutputFile";
        QTest::newRow("output is a link to an input")
            << 3 << "link.avi"
            << "Same File"
            << "The output file is one of the videos to join. Please specify another one."
            << "edtOutputFile";
        QTest::newRow("read-only output")
            << 3 << "locked.avi"
            << "Read-Only File"
            << "The output file @/locked.avi is read-only. Please specify another one."
            << "edtOutputFile";
        QTest::newRow("output folder cannot be written")
            << 3 << "shut/new.avi"
            << "Output path is read-only"
            << "The output path @/shut/ cannot be written to. Please specify another one."
            << "edtOutputFile";
        QTest::newRow("output links into a folder that cannot be written")
            << 3 << "into-shut.avi"
            << "Output path is read-only"
            << "The output path @/shut/ cannot be written to. Please specify another one."
            << "edtOutputFile";
        QTest::newRow("no file name") << 3 << ""
                                      << "Icorrect Filename"
                                      << "Please specify the output file."
                                      << "edtOutputFile";
    }
    void startRefusals()
    {
        QFETCH(int, rowCount);
        QFETCH(QString, output);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QFETCH(QString, focus);
        for (const auto& row : m_window->rows)
            touch(row.path);
        QVERIFY(QFile::link(path("b c.avi"), path("link.avi")));
        touch(path("locked.avi"));
        QVERIFY(QFile::setPermissions(path("locked.avi"), QFileDevice::ReadOwner));
        const auto reopen = qScopeGuard([&] { openShutFolder(path("shut")); });
        if (!makeShutFolder(path("shut")) && output.contains("shut"))
            QSKIP("No folder can be shut here: a read-only mount needs a privilege.");
        QVERIFY(QFile::link(path("shut/film.avi"), path("into-shut.avi")));
        m_window->rows.resize(rowCount);
        m_window->outputFile =
            output.startsWith('#') ? output.mid(1) : m_dir->path() + "/" + output;
        const QStringList before = everything();
        m_job->start();
        QCOMPARE(m_doubles->messages.shown.size(), 1);
        QCOMPARE(m_doubles->messages.shown[0].caption, caption);
        QCOMPARE(m_doubles->messages.shown[0].text, QString(text).replace('@', m_dir->path()));
        QCOMPARE(m_window->focused, focus);
        QCOMPARE(m_window->lockChanges, 0);
        QVERIFY(runs().isEmpty());
        QCOMPARE(everything(), before);
    }

    void outputExtensionIsAppendedUnlessItMatches()
    {
        m_window->extension = ".wmv";
        m_window->outputFile = path("movie.avi");
        m_window->bitrateInvalid = true; // stop right after the extension step
        m_job->start();
        QCOMPARE(m_window->outputFile, path("movie.avi.wmv"));
        m_window->outputFile = path("movie.WMV");
        m_job->start();
        QCOMPARE(m_window->outputFile, path("movie.WMV"));
        QCOMPARE(captions(), (QStringList{"Invalid Audio Bitrate", "Invalid Audio Bitrate"}));
        QCOMPARE(m_doubles->messages.shown[0].text, QString("The Audio bitrate is invalid."));
        QCOMPARE(m_window->lockChanges, 0);
    }

    void unusableTempFolderRefusesBeforeLocking()
    {
        touch(path("file"));
        m_window->general.tempDir = path("file") + "/sub";
        // The default temporary folder is the fallback; make it unusable too.
        QTemporaryDir programDir;
        touch(programDir.filePath("temp"));
        JoinJob job(*m_window, *m_window, *m_window, m_window->general, m_doubles->seams(),
                    FAKE_PROGRAM_DIR "asapi.dll", programDir.filePath("temp") + "/", "Vantomel");
        job.start();
        QCOMPARE(captions(), QStringList{"Temp Folder"});
        QCOMPARE(m_doubles->messages.shown[0].text,
                 QString("The temporary folder cannot be created. Please specify another one in "
                         "the settings."));
        QCOMPARE(m_window->lockChanges, 0);
    }

    void emptyTempSettingFallsBackToTheDefault()
    {
        QTemporaryDir programDir;
        m_window->general.tempDir.clear();
        JoinJob job(*m_window, *m_window, *m_window, m_window->general, m_doubles->seams(),
                    FAKE_PROGRAM_DIR "asapi.dll", programDir.path() + "/temp/", "Vantomel");
        attach(job);
        job.setConversionRunsAtOnce(1);
        job.start();
        const QFileInfo intermediate(runs().first().at(2));
        QCOMPARE(intermediate.fileName(), QString("0.avi"));
        QCOMPARE(QFileInfo(intermediate.path()).path(), programDir.path() + "/temp");
        QCOMPARE(captions(), QStringList{"Complete"});
        QCOMPARE(QDir(programDir.path() + "/temp").isEmpty(), true);
    }

    void overwriteQuestionNoKeepsEverything()
    {
        touch(m_window->outputFile);
        m_doubles->messages.answers.enqueue(false);
        const QStringList before = everything();
        m_job->start();
        QCOMPARE(captions(), QStringList{"File Exists"});
        QCOMPARE(m_doubles->messages.shown[0].text,
                 QString("The output file is existent. Do you want to continue and overwrite it? "
                         "\n\rClick \"No\" to specify another output filename."));
        QCOMPARE(m_window->focused, QString("edtOutputFile"));
        QVERIFY(runs().isEmpty());
        QCOMPARE(everything(), before);
    }

    void wholeJobRunsTheEncoderWithExactArguments()
    {
        m_job->start();
        const auto all = runs();
        QCOMPARE(all.size(), 4);
        // The job's own folder inside the temporary folder.
        const QString folder = jobFolder();
        QCOMPARE(QDir::cleanPath(folder + "..") + '/', tempDir());
        QCOMPARE(all[0], (QStringList{path("a.mov"), "-o", folder + "0.avi", "-oac", "mp3lame",
                                      "-ovc", "lavc", "-lavcopts", "vqscale=3", "-ofps", "30",
                                      "-vf", "dsize=320:240:0,scale=0:0,expand=320:240"}));
        QCOMPARE(all[2].first(), path("-x.mp4"));
        QCOMPARE(all[3], (QStringList{folder + "0.avi", folder + "1.avi", folder + "2.avi", "-o",
                                      path("film.avi"), "-ovc", "lavc", "-oac", "mp3lame"}));
        QCOMPARE(m_window->statuses(), (QStringList{"Complete", "Complete", "Complete"}));
        QVERIFY(tempFiles().isEmpty());
        QCOMPARE(captions(), QStringList{"Complete"});
        QCOMPARE(m_doubles->messages.shown[0].text, completionText(path("film.avi")));
        QCOMPARE(m_doubles->shell.opened, QStringList{m_dir->path()});
        QCOMPARE(m_job->runState(), RunState::Idle);
        QVERIFY(!m_window->locked);
        QCOMPARE(m_window->lockChanges, 2);
        QVERIFY(!m_window->progressPanelShown);
        QCOMPARE(m_window->title, QString("Final Step: Joining all files..."));
        QVERIFY(!m_window->convertingFileVisible);
        QCOMPARE(m_window->current, 100);
        QCOMPARE(m_window->total, 100);
        QVERIFY(!m_job->clock().isRunning());
    }

    void relativePathsReachTheEncoderAbsolute()
    {
        // Relative, a name beginning with "-" would be taken for an option.
        const QString before = QDir::currentPath();
        QDir::setCurrent(m_dir->path());
        m_window->rows = {{"-a.mov", 1}, {"sub/../-b.avi", 1}};
        m_window->outputFile = "./-film.avi";
        m_window->general.ask = false;
        m_job->start();
        QDir::setCurrent(before);
        const auto all = runs();
        QCOMPARE(all.size(), 3);
        QCOMPARE(QDir::cleanPath(all[0].first()), path("-a.mov"));
        QCOMPARE(QDir::cleanPath(all[1].first()), path("-b.avi"));
        QCOMPARE(QDir::cleanPath(all[2].at(3)), path("-film.avi"));
        QCOMPARE(captions(), QStringList{"Complete"});
    }

    void progressReportsMoveTheBars()
    {
        writeScript("banner 20\npos 1 2 1\noutput\n");
        m_window->general.autoOpenDir = false;
        m_job->start();
        // Conversion of the first item (2 s of 10): 1 s -> 5, 2 s -> 10; the join starts at 50.
        QCOMPARE(m_window->totalBarHistory.mid(1, 2), (QVector<int>{5, 10}));
        QVERIFY(m_window->totalBarHistory.contains(55));
        QCOMPARE(m_window->totalBarHistory.last(), 100);
    }

    void completionActions()
    {
        m_window->general.autoTurnOff = true;
        m_window->general.autoExit = true;
        m_window->general.ask = false;
        m_job->start();
        QCOMPARE(m_doubles->power.powerOffCalls, 1);
        QCOMPARE(m_window->closeRequests, 1);
        QVERIFY(m_doubles->messages.shown.isEmpty());

        m_window->general.autoTurnOff = false;
        m_job->start();
        QCOMPARE(m_doubles->power.powerOffCalls, 1);
        QCOMPARE(m_window->closeRequests, 2);
        QVERIFY(m_doubles->messages.shown.isEmpty());
        QVERIFY(m_doubles->shell.opened.isEmpty());
    }

    // A Stop that came too late to undo the join keeps the computer on and the program open.
    void completionActionsHeedALateStop_data()
    {
        QTest::addColumn<bool>("lateStop");
        QTest::addColumn<int>("turnedOff");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("completed") << false << 1 << QStringList();
        QTest::newRow("Stop too late") << true << 0 << QStringList{"Complete"};
    }
    void completionActionsHeedALateStop()
    {
        QFETCH(bool, lateStop);
        QFETCH(int, turnedOff);
        QFETCH(QStringList, captions);
        m_window->general.autoTurnOff = m_window->general.autoExit = true;
        JobOutcome outcome;
        outcome.outputFile = outcome.writtenPath = path("film.avi");
        outcome.stopCameTooLate = lateStop;
        m_completionActions->jobEnded(outcome);
        QCOMPARE(m_doubles->power.powerOffCalls, turnedOff);
        QCOMPARE(m_window->closeRequests, turnedOff);
        QCOMPARE(this->captions(), captions);
    }

    void renameTakesTheFirstFreeName()
    {
        touch(path("film.avi"));
        touch(path("film_1.avi"));
        m_window->general.rename = true;
        m_window->general.ask = false;
        m_job->start();
        QCOMPARE(runs().last().at(4), path("film_2.avi"));
        QCOMPARE(m_outcome->writtenPath, path("film_2.avi"));
        QCOMPARE(m_doubles->messages.shown.value(0).text,
                 QString("The joining is completed successfully.\nfilm.avi already existed, so "
                         "the video was written to " +
                         path("film_2.avi") + "."));
        QCOMPARE(QFile(path("film.avi")).size(), 3);
        QCOMPARE(QFile(path("film_1.avi")).size(), 3);
        QVERIFY(QFile::exists(path("film_2.avi")));
    }

    void failedConversionIsReportedAndCleanedUp_data()
    {
        QTest::addColumn<int>("runsAtOnce");
        QTest::addColumn<QByteArray>("firstRow");
        QTest::addColumn<QStringList>("statuses");
        QTest::newRow("one at a time")
            << 1 << QByteArray("output") << QStringList{"OK", "Failed", "OK"};
        // The other run is ended with the job; its row is as it was added.
        QTest::newRow("two side by side")
            << 2 << QByteArray("wait") << QStringList{"OK", "Failed", "OK"};
    }
    void failedConversionIsReportedAndCleanedUp()
    {
        QFETCH(int, runsAtOnce);
        QFETCH(QByteArray, firstRow);
        QFETCH(QStringList, statuses);
        writeScript(withPidFiles("#0.avi " + firstRow +
                                 "\n#1.avi chunk [mpeg4 @ 0x1] broken frame\\n\n#1.avi chunk "
                                 "Cannot open file/device.\\n\n#1.avi exit 1\n"));
        m_job->setConversionRunsAtOnce(runsAtOnce);
        m_job->start();
        QCOMPARE(runs().size(), 2);
        QCOMPARE(captions(), QStringList{"Error"});
        QCOMPARE(m_doubles->messages.shown[0].text,
                 QString("The conversion of 'b c.avi' failed.\nCannot open file/device."));
        QCOMPARE(m_window->statuses(), statuses);
        QCOMPARE(encodersNotEnded(), QStringList());
        QCOMPARE(m_job->runState(), RunState::Idle);
        QVERIFY(!m_window->locked);
        QVERIFY(!m_window->progressPanelShown);
        QVERIFY(!m_job->clock().isRunning());

        // The intermediates are gone; the log stays with the failed run's command line as the
        // process got it, what it said, and how it ended. The message shows it.
        const QString log = keptLog();
        QVERIFY2(!log.isEmpty(), qPrintable(tempFiles().join(' ')));
        QCOMPARE(m_outcome->keptLogPath, log);
        const QString folder = QFileInfo(log).path() + '/';
        const QString failedRun =
            QString(FAKE_PROGRAM_DIR "asapi.dll '") + path("b c.avi") + "' -o " + folder +
            "1.avi -oac mp3lame -ovc lavc -lavcopts vqscale=3 -ofps 30 -vf "
            "dsize=320:240:0,scale=0:0,expand=320:240" +
            (runsAtOnce > 1 ? " -lavcopts threads=1 -lavdopts threads=1" : "");
        const QString logged = QString::fromUtf8(contents(log));
        // One at a time the first run has ended before; side by side it is ended after.
        const QString number = runsAtOnce > 1 ? "1" : "2";
        const QString section = "=== Run " + number + ": " + failedRun +
                                "\n[mpeg4 @ 0x1] broken frame\nCannot open file/device.\n=== Run " +
                                number + " ended: Exit code 1\n";
        QVERIFY2(logged.contains(section), qPrintable(logged));
        QVERIFY2(logged.contains(runsAtOnce > 1 ? "=== Run 2 ended: Stopped\n"
                                                : "=== Run 1 ended: Exit code 0\n"),
                 qPrintable(logged));
        const QString details = m_doubles->messages.shown[0].details;
        QVERIFY2(details.startsWith("The encoder's log is kept in " + log + "\n\n"),
                 qPrintable(details));
        QVERIFY2(details.contains(section.trimmed()), qPrintable(details));
    }

    void conversionsSideBySideFollowTheEarliestRow()
    {
        // The first row (2 s) reports 1 s and waits; the second (3 s) reports 0.6 s and ends
        // first; the third (5 s) starts in its place and reports 4 s once the first has ended.
        const QString firstReported = m_fakeDir->filePath("first-reported");
        const QString thirdStarted = m_fakeDir->filePath("third-started");
        const QString firstConverted = m_fakeDir->filePath("first-converted");
        m_window->onStatus = [&](int row, const QString& status) {
            if (row == 0 && status == "Waiting for joining")
                touch(firstConverted, "");
        };
        writeScript(("#0.avi banner 20\n#0.avi pos 1 1 1\n#0.avi touch " + firstReported +
                     "\n#0.avi waitfor " + thirdStarted + "\n#0.avi output\n" + "#1.avi waitfor " +
                     firstReported + "\n#1.avi banner 20\n#1.avi pos 0.6 0.6 1\n#1.avi output\n" +
                     "#2.avi touch " + thirdStarted + "\n#2.avi waitfor " + firstConverted +
                     "\n#2.avi banner 20\n#2.avi pos 4 4 1\n#2.avi output\n#film.avi output\n")
                        .toLocal8Bit());
        m_window->general.autoOpenDir = false;
        m_job->setConversionRunsAtOnce(2);
        m_job->start();
        QCOMPARE(captions(), QStringList{"Complete"});

        auto all = runs();
        QCOMPARE(all.size(), 4);
        // Runs side by side log in no fixed order.
        std::sort(all.begin(), all.begin() + 3,
                  [](const QStringList& a, const QStringList& b) { return a.at(2) < b.at(2); });
        const QString folder = jobFolder();
        const QStringList held{"-lavcopts", "threads=1", "-lavdopts", "threads=1"};
        const QStringList conversion{
            "-oac",      "mp3lame", "-ovc", "lavc", "-lavcopts",
            "vqscale=3", "-ofps",   "30",   "-vf",  "dsize=320:240:0,scale=0:0,expand=320:240"};
        QCOMPARE(all[0], QStringList({path("a.mov"), "-o", folder + "0.avi"}) + conversion + held);
        QCOMPARE(all[1],
                 QStringList({path("b c.avi"), "-o", folder + "1.avi"}) + conversion + held);
        QCOMPARE(all[2], QStringList({path("-x.mp4"), "-o", folder + "2.avi"}) + conversion + held);
        QCOMPARE(all[3], (QStringList{folder + "0.avi", folder + "1.avi", folder + "2.avi", "-o",
                                      path("film.avi"), "-ovc", "lavc", "-oac", "mp3lame"}));
        // The name and the current bar stay with the first row until it is converted, then go to
        // the third, whose run has not reported yet; the total bar counts every run:
        // 1 s, 1 + 0.6 s, then 2 + 3 + 4 s of 10.
        QCOMPARE(m_window->convertingFileChanges, (QStringList{"a.mov", "-x.mp4"}));
        QCOMPARE(m_window->currentBarChanges, (QVector<int>{50, 0, 80, 100}));
        QCOMPARE(m_window->totalBarHistory.mid(0, 4), (QVector<int>{0, 5, 8, 45}));
    }

    void onePassJoinsTheOriginalsAndFollowsTheRows()
    {
        // The rows last 2, 3 and 5 s.
        writeScript("banner 20\npos 1 9 1\noutput\n");
        m_window->general.onePass = true;
        m_window->general.autoOpenDir = false;
        m_job->start();
        QCOMPARE(captions(), QStringList{"Complete"});
        QCOMPARE(runs(), (QVector<QStringList>{
                             {path("a.mov"), path("b c.avi"), path("-x.mp4"), "-o",
                              path("film.avi"), "-ovc", "lavc", "-oac", "mp3lame", "-vf-pre",
                              "dsize=320:240:0,scale=0:0,expand=320:240", "-ofps", "30"}}));
        QVERIFY(!QFileInfo::exists(tempDir()));
        QCOMPARE(m_window->statuses(), (QStringList{"Complete", "Complete", "Complete"}));
        QCOMPARE(m_window->title, QString("Final Step: Joining all files..."));
        QVERIFY(m_window->convertingFileVisible);
        QCOMPARE(m_window->convertingFileChanges, (QStringList{"a.mov", "b c.avi", "-x.mp4"}));
        // 1 s is half the first row, 2 s the start of the second ...
        QCOMPARE(m_window->currentBarChanges,
                 (QVector<int>{50, 0, 33, 67, 0, 20, 40, 60, 80, 100}));
        QCOMPARE(m_window->totalBarHistory,
                 (QVector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    }

    // A copy joins the originals in one encoder run, whatever the One Pass setting: no
    // conversion, no folder, no frame rate of its own; it is shown as a join in one pass is.
    void aCopyJoinsTheOriginalsInOneRun_data()
    {
        QTest::addColumn<bool>("onePass");
        QTest::newRow("One Pass off") << false;
        QTest::newRow("One Pass on") << true;
    }
    void aCopyJoinsTheOriginalsInOneRun()
    {
        QFETCH(bool, onePass);
        writeScript("banner 20\npos 1 9 4\noutput\n");
        m_window->copies = true;
        m_window->options = " -ovc copy -oac lavc -lavcopts acodec=aac:abitrate=160 -channels 2 "
                            "-srate 48000";
        m_window->extension = ".mkv";
        m_window->outputFile = path("film.mkv");
        m_window->general.onePass = onePass;
        m_window->general.autoOpenDir = false;
        m_job->start();
        QCOMPARE(captions(), QStringList{"Complete"});
        const QStringList join{path("a.mov"),
                               path("b c.avi"),
                               path("-x.mp4"),
                               "-o",
                               path("film.mkv"),
                               "-ovc",
                               "copy",
                               "-oac",
                               "lavc",
                               "-lavcopts",
                               "acodec=aac:abitrate=160",
                               "-channels",
                               "2",
                               "-srate",
                               "48000"};
        QCOMPARE(runs(), QVector<QStringList>{join});
        QCOMPARE(checks(), QVector<QStringList>{QStringList{"-checkonly"} + join});
        QVERIFY(!QFileInfo::exists(tempDir()));
        QCOMPARE(m_window->statuses(), (QStringList{"Complete", "Complete", "Complete"}));
        QCOMPARE(m_window->convertingFileChanges, (QStringList{"a.mov", "-x.mp4"}));
        QCOMPARE(m_window->totalBarHistory, (QVector<int>{0, 10, 50, 90, 100}));
    }

    // The joined video is read back after the join: one that is not as long as the rows, or
    // whose sound the encoder reports apart from its picture, is named in the completion message.
    void completionMessageTellsOfTheJoinedVideo_data()
    {
        QTest::addColumn<QList<double>>("rowLengths");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("checkLines");
        const QByteArray twoSeconds = "copy " + clipPath("clip.avi").toLocal8Bit() + '\n';
        QTest::newRow("as long as the rows") << QList<double>{1, 1} << twoSeconds << QString();
        QTest::newRow("shorter than the rows") << QList<double>{2, 3, 5} << twoSeconds
                                               << "\nThe joined video is 2.0 s long, 8.0 s "
                                                  "shorter than the videos together (10.0 s).";
        QTest::newRow("a join's sound late")
            << QList<double>{1, 1} << "chunk Join 2 at 1.000s: A/V offset +0.200s\\n\n" + twoSeconds
            << "\nThe sound of part 2 of the joined video "
               "starts 0.20 s after its picture, at 1.0 s.";
    }
    void completionMessageTellsOfTheJoinedVideo()
    {
        QFETCH(QList<double>, rowLengths);
        QFETCH(QByteArray, script);
        QFETCH(QString, checkLines);
        m_window->rows.clear();
        for (const double length : rowLengths)
            m_window->rows.append({path(QString::number(m_window->rows.size()) + ".mov"), length});
        m_window->general.onePass = true;
        m_window->general.autoOpenDir = false;
        writeScript(script);
        m_job->start();
        QCOMPARE(captions(), QStringList{"Complete"});
        QCOMPARE(m_doubles->messages.shown[0].text,
                 completionText(m_window->outputFile, checkLines));
    }

    void progressHeldBackIsShownWhenTheRunEnds()
    {
        // With an interval longer than the run: the first position parsed, then the last.
        writeScript("banner 20\npos 1 9 1\noutput\n");
        m_window->general.onePass = true;
        m_window->general.autoOpenDir = false;
        m_job->setProgressInterval(24 * 3600 * 1000);
        m_job->start();
        QCOMPARE(m_window->totalBarHistory, (QVector<int>{0, 10, 90, 100}));
        QCOMPARE(m_window->convertingFileChanges, (QStringList{"a.mov", "-x.mp4"}));
    }

    void runsThatLeaveNoGoodFileAreFailures_data()
    {
        // The encoder's last line before a clean exit is its summary, never the reason.
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("runCount");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("onePass");
        QTest::newRow("conversion writes nothing")
            << QByteArray("chunk Video stream: 800 kbit/s\\n\nexit 0\n") << 1
            << "The conversion of 'a.mov' failed.\nThe encoder wrote no file." << false;
        QTest::newRow("conversion writes an empty file")
            << QByteArray("empty\nchunk Video stream: 800 kbit/s\\n\nexit 0\n") << 1
            << "The conversion of 'a.mov' failed.\nThe encoder wrote an empty file." << false;
        QTest::newRow("conversion crashes after writing")
            << QByteArray("@0 output\n@1 output\n@1 abort\n") << 2
            << "The conversion of 'b c.avi' failed.\nThe encoder crashed." << false;
        QTest::newRow("join exits 0 without replacing the old output")
            << QByteArray("@0 output\n@1 output\n@2 output\nchunk Video stream: 1 kbit/s\\n\n") << 4
            << "The joining failed.\nThe encoder wrote no file." << false;
        QTest::newRow("join crashes") << QByteArray("@0 output\n@1 output\n@2 output\n@3 abort\n")
                                      << 4 << "The joining failed.\nThe encoder crashed." << false;
        QTest::newRow("one-pass join crashes")
            << QByteArray("abort\n") << 1 << "The joining failed.\nThe encoder crashed." << true;
        // Exit 2: a stop signal from outside the program (a logout, kill) ended the encoder. Its
        // last line says what became of its file, never why the job failed. A shorter
        // intermediate goes with the job folder.
        QTest::newRow("conversion stopped from outside")
            << QByteArray("output\nchunk \\nVideo stream: 800 kbit/s\\n\nexit 2\n") << 1
            << "The conversion of 'a.mov' failed.\nThe encoder was stopped." << false;
        QTest::newRow("join stopped from outside")
            << QByteArray(
                   "@0 output\n@1 output\n@2 output\n@3 chunk \\nThe run was stopped: the "
                   "existing film.avi is kept and the shorter file discarded.\\n\n@3 exit 2\n")
            << 4 << "The joining failed.\nThe encoder was stopped." << false;
        QTest::newRow("one-pass join stopped from outside")
            << QByteArray("chunk \\nThe run was stopped: the existing film.avi is kept and the "
                          "shorter file discarded.\\n\nexit 2\n")
            << 1 << "The joining failed.\nThe encoder was stopped." << true;
        // The reason is the encoder's last error, without its mark; a later warning is not.
        QTest::newRow("one-pass join fails before a warning")
            << QByteArray("chunk [error] Cannot write film.avi.\\n\nchunk [warning] Skipping a "
                          "damaged frame in a.mov.\\n\nexit 1\n")
            << 1 << "The joining failed.\nCannot write film.avi." << true;
    }
    void runsThatLeaveNoGoodFileAreFailures()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, runCount);
        QFETCH(QString, text);
        QFETCH(bool, onePass);
        touch(path("film.avi"), "keep me");
        m_window->general.ask = false;
        m_window->general.onePass = onePass;
        writeScript(script);
        m_job->start();
        QCOMPARE(runs().size(), runCount);
        QCOMPARE(captions(), QStringList{"Error"});
        QCOMPARE(m_doubles->messages.shown[0].kind, QString("error"));
        QCOMPARE(m_doubles->messages.shown[0].text, text);
        QCOMPARE(contents(path("film.avi")), QByteArray("keep me"));
        // In one pass too, the failed job keeps its log, and only that.
        const QString log = keptLog();
        QVERIFY2(!log.isEmpty(), qPrintable(tempFiles().join(' ')));
        QCOMPARE(QString::fromUtf8(contents(log)).count("=== Run "), 2 * runCount);
        QVERIFY(m_doubles->messages.shown[0].details.contains(log));
    }

    void failedJoinLeavesTheOldOutput()
    {
        touch(path("film.avi"), "keep me");
        m_window->general.ask = false;
        // A failed run leaves nothing at its output path.
        writeScript("@0 output\n@1 output\n@2 output\n@3 chunk Error while encoding\\n\n@3 exit "
                    "1\n");
        QDir().mkpath(tempDir());
        const QStringList before = everything();
        m_job->start();
        QCOMPARE(runs().size(), 4);
        QCOMPARE(m_doubles->messages.shown[0].caption, QString("Error"));
        QCOMPARE(m_doubles->messages.shown[0].text,
                 QString("The joining failed.\nError while encoding"));
        QCOMPARE(contents(path("film.avi")), QByteArray("keep me"));
        removeKeptLog();
        QCOMPARE(everything(), before);
        QCOMPARE(m_window->statuses(), (QStringList{"Failed", "Failed", "Failed"}));
        QCOMPARE(m_job->runState(), RunState::Idle);
    }

    // The encoder is asked first whether it takes the join's command line; what it refuses is
    // refused at Start with its reason, before the overwrite question, with nothing made and no
    // conversion run. Videos that differ where a copy needs them alike are refused so too.
    void optionsTheEncoderRefusesAreRefusedAtStart_data()
    {
        QTest::addColumn<bool>("onePass");
        QTest::addColumn<bool>("copies");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        const QByteArray refusal = "refuse Suboption vbitrate needs a value.";
        QTest::newRow("two stages") << false << false << refusal << "Invalid Output Settings"
                                    << "Suboption vbitrate needs a value.";
        QTest::newRow("one pass") << true << false << refusal << "Invalid Output Settings"
                                  << "Suboption vbitrate needs a value.";
        QTest::newRow("refusal after a warning")
            << false << false
            << QByteArray("refuse [warning] Skipping a damaged frame in a.mov.\\n[refusal] "
                          "Suboption vbitrate needs a value.")
            << "Invalid Output Settings"
            << "Suboption vbitrate needs a value.";
        QTest::newRow("copy of videos that differ")
            << false << true
            << QByteArray("cannot-copy b c.avi is 1280x720 at 25 fps; a.mov is 1920x1080 at 30 "
                          "fps.")
            << "Videos Cannot Be Copied"
            << "b c.avi is 1280x720 at 25 fps; a.mov is 1920x1080 at 30 fps.\nThese videos cannot "
               "be joined without re-encoding. Please choose a profile that re-encodes them, such "
               "as \"MP4 - H.264 and AAC\".";
        // What to join with instead is the encoder's to say when a copy into another container
        // would do.
        const QString otherCopy =
            "a.mov is shown turned 90 degrees, which an MKV copy cannot keep; join with \"MP4 - "
            "Same as the videos (no re-encoding)\" or a re-encoding profile.";
        QTest::newRow("copy that another container takes")
            << false << true << ("cannot-copy " + otherCopy).toUtf8() << "Videos Cannot Be Copied"
            << otherCopy;
        // FFmpeg's own lines stay in the log: the reason is the encoder's.
        const QByteArray unreadable = "cannot-read [libav] [aac @ 0x1] decode_pce: Input buffer "
                                      "exhausted before END element found\\nb c.avi cannot be "
                                      "read as a video.";
        const QString readHint = "\nPlease check that the video plays and is still where it was "
                                 "added, or remove it from the list.";
        QTest::newRow("copy of a clip that cannot be read")
            << false << true << unreadable << "Video Cannot Be Read"
            << "b c.avi cannot be read as a video." + readHint;
        QTest::newRow("copy refused after FFmpeg's lines")
            << false << true
            << QByteArray("cannot-copy [libav] [mpeg4 @ 0x1] header damaged\\nb c.avi has mpeg4 "
                          "video; a.mov has h264 video.")
            << "Videos Cannot Be Copied"
            << "b c.avi has mpeg4 video; a.mov has h264 video.\nThese videos cannot be joined "
               "without re-encoding. Please choose a profile that re-encodes them, such as \"MP4 - "
               "H.264 and AAC\".";
    }
    void optionsTheEncoderRefusesAreRefusedAtStart()
    {
        QFETCH(bool, onePass);
        QFETCH(bool, copies);
        QFETCH(QByteArray, answer);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        qputenv("FAKE_ENCODER_CHECK", answer);
        m_window->options = copies
                                ? " -ovc copy -oac copy"
                                : " -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=:mbd=2 -oac mp3lame";
        m_window->copies = copies;
        m_window->extension = copies ? ".mp4" : ".avi";
        m_window->outputFile = path("film") + m_window->extension;
        m_window->general.onePass = onePass;
        touch(m_window->outputFile); // the overwrite question would come next
        const QStringList before = everything();
        m_job->start();
        QCOMPARE(captions(), QStringList{caption});
        QCOMPARE(m_doubles->messages.shown[0].text, text);
        QCOMPARE(checks().size(), 1);
        QVERIFY(runs().isEmpty());
        QCOMPARE(everything(), before);
        QVERIFY(!QFileInfo::exists(tempDir()));
        QCOMPARE(m_window->lockChanges, 0);
        QCOMPARE(m_window->statuses(), (QStringList{"OK", "OK", "OK"}));
        QCOMPARE(m_job->runState(), RunState::Idle);
    }

    // What is checked is the command line of the join that the job then runs: in one pass the
    // same; in two stages the same but for the job folder, which is made only later.
    void theCheckAsksAboutTheJoinsCommandLine_data()
    {
        QTest::addColumn<bool>("onePass");
        QTest::addColumn<bool>("rename");
        QTest::newRow("two stages") << false << false;
        QTest::newRow("one pass") << true << false;
        QTest::newRow("two stages, renamed output") << false << true;
    }
    void theCheckAsksAboutTheJoinsCommandLine()
    {
        QFETCH(bool, onePass);
        QFETCH(bool, rename);
        m_window->general.onePass = onePass;
        m_window->general.rename = rename;
        m_window->general.ask = false;
        if (rename)
            touch(m_window->outputFile);
        m_job->start();
        QCOMPARE(captions(), QStringList{"Complete"});
        QCOMPARE(checks().size(), 1);
        const QStringList check = checks().first();
        const QStringList join = runs().last();
        QCOMPARE(check.first(), QString("-checkonly"));
        QCOMPARE(join.at(join.indexOf("-o") + 1), path(rename ? "film_1.avi" : "film.avi"));
        if (onePass) {
            QCOMPARE(check.mid(1), join);
            return;
        }
        QStringList expected = join;
        for (int k = 0; k < 3; ++k)
            expected[k] = tempDir() + "job/" + QString::number(k) + ".avi";
        QCOMPARE(check.mid(1), expected);
    }

    // An encoder that cannot give its answer refuses nothing: the job runs and meets whatever
    // is wrong as it did before the check.
    void noAnswerFromTheCheckRefusesNothing_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("crashes") << QByteArray("abort");
        QTest::newRow("another exit code") << QByteArray("exit 7");
        QTest::newRow("no answer before the deadline") << QByteArray("wait");
    }
    void noAnswerFromTheCheckRefusesNothing()
    {
        QFETCH(QByteArray, answer);
        qputenv("FAKE_ENCODER_CHECK", answer);
        m_window->general.autoOpenDir = false;
        QElapsedTimer clock;
        clock.start();
        m_job->start();
        QVERIFY2(clock.elapsed() < EncoderCheck::kDeadlineMs + 2000,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(checks().size(), 1);
        QCOMPARE(runs().size(), 4);
        QCOMPARE(captions(), QStringList{"Complete"});
    }

    void theCheckWaitsNoLongerThanItsDeadline()
    {
        qputenv("FAKE_ENCODER_CHECK", "wait");
        QElapsedTimer clock;
        clock.start();
        const EncoderCheck::Answer answer =
            EncoderCheck(FAKE_PROGRAM_DIR "asapi.dll", 300)
                .ask(joinCommand({{path("0.avi")}}, path("film.avi"), " -ovc lavc"));
        QVERIFY(answer.kind == EncoderCheck::Answer::Kind::NoAnswer);
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        qputenv("FAKE_ENCODER_CHECK", "refuse Unknown suboption xyz of -lavcopts.");
        const EncoderCheck::Answer refused =
            EncoderCheck(FAKE_PROGRAM_DIR "asapi.dll")
                .ask(joinCommand({{path("0.avi")}}, path("film.avi"), " -ovc lavc"));
        QVERIFY(refused.kind == EncoderCheck::Answer::Kind::Refused);
        QCOMPARE(refused.reason, QString("Unknown suboption xyz of -lavcopts."));
        QVERIFY(EncoderCheck(path("nowhere/asapi.dll"))
                    .ask(joinCommand({{path("0.avi")}}, path("film.avi"), " -ovc lavc"))
                    .kind == EncoderCheck::Answer::Kind::NoAnswer);
    }

    void missingEncoderEndsTheJobCleanly()
    {
        QTemporaryDir emptyProgramDir;
        JoinJob job(*m_window, *m_window, *m_window, m_window->general, m_doubles->seams(),
                    emptyProgramDir.filePath("asapi.dll"), emptyProgramDir.path() + "/temp/",
                    "Vantomel");
        attach(job);
        job.start();
        QCOMPARE(m_doubles->messages.shown.size(), 1);
        QCOMPARE(m_doubles->messages.shown[0].kind, QString("plain"));
        QCOMPARE(m_doubles->messages.shown[0].caption, QString("Vantomel"));
        QCOMPARE(m_doubles->messages.shown[0].text, QString("Error. Please re-install Vantomel"));
        QCOMPARE(job.runState(), RunState::Idle);
        QVERIFY(!m_window->locked);
        QVERIFY(!m_window->progressPanelShown);
        QVERIFY(!job.clock().isRunning());
        QCOMPARE(m_window->statuses(), (QStringList{"Failed", "OK", "OK"}));
        QVERIFY2(contents(m_outcome->keptLogPath).contains("=== Run 1 ended: Failed to start: "),
                 contents(m_outcome->keptLogPath).constData());
    }

    void stopDuringConversion_data()
    {
        QTest::addColumn<int>("runsAtOnce");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("runCount");
        QTest::addColumn<QStringList>("statuses");
        QTest::newRow("one at a time") << 1 << QByteArray("#0.avi output\n#1.avi wait\n") << 2
                                       << QStringList{"Waiting for joining", "Stop", "OK"};
        QTest::newRow("two side by side") << 2 << QByteArray("#0.avi wait\n#1.avi wait\n") << 2
                                          << QStringList{"Stop", "Stop", "OK"};
        QTest::newRow("two side by side, the first converted")
            << 2 << QByteArray("#0.avi output\n#1.avi wait\n#2.avi wait\n") << 3
            << QStringList{"Waiting for joining", "Stop", "Stop"};
    }
    void stopDuringConversion()
    {
        QFETCH(int, runsAtOnce);
        QFETCH(QByteArray, script);
        QFETCH(int, runCount);
        QFETCH(QStringList, statuses);
        QDir().mkpath(tempDir());
        touch(tempDir() + "2.avi"); // not the job's: it stays
        writeScript(withPidFiles(script));
        m_job->setConversionRunsAtOnce(runsAtOnce);
        stopAfterRuns(runCount);
        m_job->start();
        QCOMPARE(runs().size(), runCount);
        QCOMPARE(captions(), QStringList{"Cancel"});
        QCOMPARE(m_doubles->messages.shown[0].text, QString("The Coversion is canceled."));
        QCOMPARE(m_window->statuses(), statuses);
        QCOMPARE(encodersNotEnded(), QStringList());
        QCOMPARE(tempFiles(), QStringList{"2.avi"});
        QCOMPARE(contents(tempDir() + "2.avi"), QByteArray("old"));
        QCOMPARE(m_job->runState(), RunState::Stopped);
        QVERIFY(!m_window->locked);
        QVERIFY(!m_window->progressPanelShown);
        // Stop does nothing once the job is over.
        m_job->stop();
        QCOMPARE(m_job->runState(), RunState::Stopped);
    }

    void stopBetweenRunsPreventsTheNextRun()
    {
        m_window->onPump = [this](int pump) {
            if (pump == 2) // the top of the second item
                m_job->stop();
        };
        m_job->start();
        QCOMPARE(runs().size(), 1);
        QCOMPARE(m_window->statuses(), (QStringList{"Waiting for joining", "Stop", "OK"}));
        QCOMPARE(captions(), QStringList{"Cancel"});
    }

    void stopDuringJoin_data()
    {
        QTest::addColumn<bool>("onePass");
        QTest::addColumn<int>("runCount");
        // An encoder that the discard signal does not end is killed soon after.
        QTest::addColumn<bool>("holdsOn");
        QTest::newRow("after the conversions") << false << 4 << false;
        QTest::newRow("in one pass") << true << 1 << false;
        QTest::newRow("in one pass, the encoder holds on") << true << 1 << true;
    }
    void stopDuringJoin()
    {
        QFETCH(bool, onePass);
        QFETCH(int, runCount);
        QFETCH(bool, holdsOn);
        touch(path("film.avi"), "keep me");
        m_window->general.ask = false;
        m_window->general.onePass = onePass;
        const QString holding = path("holding");
        writeScript(withPidFiles(
            (holdsOn ? "#film.avi hold-on\n#film.avi touch " + holding.toLocal8Bit() + "\n" : "") +
            "#0.avi output\n#1.avi output\n#2.avi output\n#film.avi wait\n"));
        stopAfterRuns(runCount, holdsOn ? holding : QString());
        QElapsedTimer clock;
        clock.start();
        m_job->start();
        // Well before the fake encoder would give up its wait.
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(runs().size(), runCount);
        QCOMPARE(captions(), QStringList{"Cancel"});
        QCOMPARE(m_doubles->messages.shown[0].text, QString("The Joining is canceled."));
        QCOMPARE(m_window->statuses(), (QStringList{"Stop", "Stop", "Stop"}));
        QCOMPARE(encodersNotEnded(), QStringList());
        QVERIFY(tempFiles().isEmpty());
        QCOMPARE(contents(path("film.avi")), QByteArray("keep me"));
        QCOMPARE(m_job->runState(), RunState::Idle);
        QVERIFY(!m_window->locked);
    }

    void closingDuringAJobAsksWhetherToStopIt_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::addColumn<int>("runCount");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QStringList>("captions");
        // The second run waits until the window was closed: the job is surely running then.
        QTest::newRow("No: the job runs on")
            << false << 1 << QByteArray("#1.avi waitfor CLOSED\noutput\n")
            << QStringList{"Job Running", "Complete"};
        QTest::newRow("Yes in the conversion")
            << true << 2 << QByteArray("#0.avi output\n#1.avi wait\n")
            << QStringList{"Job Running"};
        QTest::newRow("Yes in the join")
            << true << 4
            << QByteArray("#0.avi output\n#1.avi output\n#2.avi output\n#film.avi wait\n")
            << QStringList{"Job Running"};
    }
    void closingDuringAJobAsksWhetherToStopIt()
    {
        QFETCH(bool, stop);
        QFETCH(int, runCount);
        QFETCH(QByteArray, script);
        QFETCH(QStringList, captions);
        touch(path("film.avi"), "keep me");
        m_window->general.ask = false;
        writeScript(QByteArray(script).replace("CLOSED", path("closed").toUtf8()));
        ClosingDuringJob closing(*m_job, m_doubles->messages);
        m_doubles->messages.answers.enqueue(stop);
        bool closedAtOnce = true, closedWhileAsked = true;
        m_doubles->messages.whileShown = [&] {
            if (m_doubles->messages.shown.size() == 1)
                closedWhileAsked = closing.mayClose(nullptr);
        };
        afterRuns(runCount, {}, [&] {
            closedAtOnce = closing.mayClose(nullptr);
            touch(path("closed"));
        });
        m_job->start();
        QVERIFY(!closedAtOnce);
        QVERIFY(!closedWhileAsked);
        QCOMPARE(this->captions(), captions);
        QCOMPARE(closing.closeAfterJob(), stop);
        QCOMPARE(contents(path("film.avi")) == "keep me", stop);
        QCOMPARE(tempFiles(), QStringList());
        QVERIFY(closing.mayClose(nullptr));
    }

    void stopWhileTheJoinListIsBuiltKeepsTheOldOutput()
    {
        touch(path("film.avi"), "keep me");
        m_window->general.ask = false;
        m_window->onPump = [this](int pump) {
            if (pump == 5) // the join stage's first row
                m_job->stop();
        };
        m_job->start();
        QCOMPARE(runs().size(), 3);
        QCOMPARE(captions(), QStringList{"Cancel"});
        QCOMPARE(QFile(path("film.avi")).size(), 7);
    }

    // Stop reaches an encoder that has put its file in place and exited, before the program has
    // seen the exit: the run ends as the encoder ended it, so the join is not called canceled
    // while the old output is already replaced.
    void aStopAfterTheEncoderExitedLeavesItsOwnEnding()
    {
        const QString pidFile = path("encoder.pid");
        writeScript(("pidfile " + pidFile + "\noutput\n").toLocal8Bit());
        EncoderRun run;
        QSignalSpy exited(&run, &EncoderRun::exited);
        QVERIFY(run.start(FAKE_PROGRAM_DIR "asapi.dll", {"-o", path("film.avi")},
                          [](const QString&) {}));
        // No event is handled meanwhile, so the program cannot have seen the exit.
        QDeadlineTimer deadline(20000);
        const auto hasExited = [&] {
            QFile stat("/proc/" + contents(pidFile).trimmed() + "/stat");
            return contents(pidFile).endsWith('\n') &&
                   (!stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z "));
        };
        while (!hasExited()) {
            QVERIFY2(!deadline.hasExpired(), "the fake encoder did not exit");
            QThread::msleep(5);
        }
        QVERIFY(run.isRunning());
        run.terminate();
        QVERIFY2(exited.wait(20000), "the exit was never seen");
        const EncoderOutcome outcome = run.finish();
        QCOMPARE(outcome.kind, EncoderOutcome::Kind::Exited);
        QCOMPARE(outcome.exitCode, 0);
    }

    void clockShowsElapsedAndRemaining()
    {
        JobClock& clock = m_job->clock();
        clock.start();
        QCOMPARE(m_window->elapsed, QString());
        m_window->total = 0;
        clock.tick();
        QCOMPARE(m_window->remaining, QString("00:00:00"));
        m_window->total = 25;
        for (int i = 1; i < 30; ++i)
            clock.tick();
        QCOMPARE(m_window->elapsed, QString("00:00:30"));
        QCOMPARE(m_window->remaining, QString("00:01:30"));
        m_window->total = 0; // the estimate is kept while the bar is at 0
        clock.tick();
        QCOMPARE(m_window->remaining, QString("00:01:30"));
        clock.stop();
    }
};

QTEST_GUILESS_MAIN(TestJoinJob)
#include "test_join_job.moc"
