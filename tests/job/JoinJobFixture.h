#pragma once

#include "FakeJobWindow.h"
#include "job/CompletionActions.h"
#include "job/JoinJob.h"
#include "support/RecordingSeams.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// The whole job against a fake encoder process that plays a script and records its arguments:
// the test classes of the job share this set-up, each calling setUp() and tearDown() from its
// init() and cleanup().
class JoinJobFixture : public QObject
{
protected:
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
                // Once only: a busy machine may let the timer come again before the deletion.
                poll->stop();
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

    void setUp()
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

    void tearDown()
    {
        m_job.reset();
        m_completionActions.reset();
        m_window.reset();
        m_doubles.reset();
        m_dir.reset();
        m_fakeDir.reset();
    }
};
