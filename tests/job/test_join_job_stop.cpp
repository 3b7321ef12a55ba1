#include "JoinJobFixture.h"
#include "job/ClosingDuringJob.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>

// Stop and closing during a job: whatever the moment, the old output stays and nothing of the
// job is left behind.
class TestJoinJobStop : public JoinJobFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

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
        QVERIFY2(this->captions() == captions, qPrintable(this->captions().join(", ")));
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
};

QTEST_GUILESS_MAIN(TestJoinJobStop)
#include "test_join_job_stop.moc"
