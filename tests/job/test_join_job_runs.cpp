#include "JoinJobFixture.h"
#include "support/Clips.h"
#include "support/Completion.h"

// Jobs that run: the encoder's command lines, the progress, the ways of joining, the completion,
// and the runs that fail.
class TestJoinJobRuns : public JoinJobFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

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

    // A row that takes a part of its file: its conversion, or the join in one pass, reads the
    // part in braces, and the joined video is expected as long as the parts.
    void partsOfFilesReachTheEncoderInBraces_data()
    {
        QTest::addColumn<bool>("onePass");
        QTest::newRow("converted, then joined") << false;
        QTest::newRow("in one pass") << true;
    }
    void partsOfFilesReachTheEncoderInBraces()
    {
        QFETCH(bool, onePass);
        // Parts of 1 s each: as long together as the 2 s clip the fake encoder writes.
        m_window->rows = {{path("a.mov"), 10, "OK", 1.5, 2.5}, {path("b c.avi"), 3, "OK", {}, 1}};
        m_window->general.onePass = onePass;
        m_window->general.autoOpenDir = false;
        writeScript("copy " + clipPath("clip.avi").toLocal8Bit() + '\n');
        m_job->start();
        QCOMPARE(m_doubles->messages.shown[0].text, completionText(m_window->outputFile));
        QCOMPARE(runs()[0].mid(0, 7),
                 (QStringList{"{", path("a.mov"), "-ss", "1.5", "-endpos", "1", "}"}));
        QCOMPARE(runs()[onePass ? 0 : 1].mid(onePass ? 7 : 0, 5),
                 (QStringList{"{", path("b c.avi"), "-endpos", "1", "}"}));
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

QTEST_GUILESS_MAIN(TestJoinJobRuns)
#include "test_join_job_runs.moc"
