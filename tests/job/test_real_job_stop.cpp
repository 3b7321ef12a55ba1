#include "RealProgram.h"
#include "job/JoinJob.h"
#include "support/Clips.h"
#include "support/RecordingSeams.h"

#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <algorithm>

// Stop pressed at many moments of a real job, through the real windows.
class TestRealJobStop : public QObject
{
    Q_OBJECT

    std::unique_ptr<ProgramCopy> m_program;
    QTemporaryDir m_outputs;

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
        const auto pressStopOnce = [&] {
            if (!armed)
                return;
            armed = false;
            QTimer::singleShot(0, &windows.main(), [&] {
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
        const auto byProgress =
            QObject::connect(windows.control<QProgressBar>("pgbTotal"), &QProgressBar::valueChanged,
                             &windows.main(), [&](int value) {
                                 if (totalBar >= 0 && value >= totalBar)
                                     pressStopOnce();
                             });

        windows.pressStart();
        QObject::disconnect(byStatus);
        QObject::disconnect(byProgress);

        QVERIFY(stopLandedInAJob);
        if (interrupted == -2)
            interrupted = runInterruptedAt(statusesAtStop);
        QCOMPARE(runInterruptedAt(statusesAtStop), interrupted);
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
        windows.pressStart();
        QCOMPARE(doubles.messages.shown.size(), 1);
        QCOMPARE(doubles.messages.shown.first().text,
                 QStringLiteral("The joining is completed successfully."));
        QCOMPARE(windows.statuses(), QStringList(rows, QStringLiteral("Complete")));
        QVERIFY(QFileInfo(output).size() > 0 && fileContents(output) != oldOutput);
        QCOMPARE(m_program->leftInTempDir(), QStringList());
        QVERIFY(windows.isReadyForAJob());
    }
};

QTEST_MAIN(TestRealJobStop)
#include "test_real_job_stop.moc"
