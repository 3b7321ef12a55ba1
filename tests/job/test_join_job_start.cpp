#include "JoinJobFixture.h"
#include "job/EncoderCheck.h"

#include <QElapsedTimer>
#include <QScopeGuard>

// What Start checks and refuses before anything runs: the output, the temporary folder, the
// overwrite question and the encoder's own check of the join's command line.
class TestJoinJobStart : public JoinJobFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

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

    // What is checked is the command line of the join that the job then runs: in one pass and in
    // a copy the same; in two stages the same but for the job folder, which is made only later.
    // Only a copy that the user let cut exactly may put the parameter sets in the stream.
    void theCheckAsksAboutTheJoinsCommandLine_data()
    {
        QTest::addColumn<bool>("onePass");
        QTest::addColumn<bool>("rename");
        QTest::addColumn<bool>("copies");
        QTest::addColumn<bool>("exactCuts");
        QTest::newRow("two stages") << false << false << false << false;
        QTest::newRow("one pass") << true << false << false << false;
        QTest::newRow("two stages, renamed output") << false << true << false << false;
        QTest::newRow("one pass, exact cuts") << true << false << false << true;
        QTest::newRow("copy") << false << false << true << false;
        QTest::newRow("copy, exact cuts") << false << false << true << true;
    }
    void theCheckAsksAboutTheJoinsCommandLine()
    {
        QFETCH(bool, onePass);
        QFETCH(bool, rename);
        QFETCH(bool, copies);
        QFETCH(bool, exactCuts);
        m_window->general.onePass = onePass;
        m_window->general.rename = rename;
        m_window->general.ask = false;
        m_window->general.exactCutsInStream = exactCuts;
        if (copies) {
            m_window->options = " -ovc copy -oac copy";
            m_window->copies = true;
            m_window->extension = ".mp4";
            m_window->outputFile = path("film.mp4");
        }
        if (rename)
            touch(m_window->outputFile);
        m_job->start();
        QCOMPARE(captions(), QStringList{"Complete"});
        QCOMPARE(checks().size(), 1);
        const QStringList check = checks().first();
        const QStringList join = runs().last();
        QCOMPARE(check.first(), QString("-checkonly"));
        QCOMPARE(join.at(join.indexOf("-o") + 1),
                 path(rename ? "film_1" : "film") + m_window->extension);
        QCOMPARE(join.contains("-inbandsets"), copies && exactCuts);
        if (onePass || copies) {
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

    // A copy's yes brings the points it moves to keyframes and the clips it encodes again, none
    // of which stops it.
    void anAcceptedCopyCarriesItsMovedPointsAndClipsEncodedAgain()
    {
        const EncoderCheck::Answer answer = EncoderCheck::answerOf(
            true, 0,
            "[warning] A note.\nMoved 2: the out point 00:00:02.200 of a.mp4 moves to the "
            "keyframe at 00:00:02.400\nEncoded 3: c.mp4 is 1080x1920 at 30 fps; the others are "
            "1920x1080 at 30 fps.\n");
        QVERIFY(answer.kind == EncoderCheck::Answer::Kind::Accepted);
        QCOMPARE(answer.moved.size(), 1);
        QCOMPARE(answer.moved.front().input, 2);
        QCOMPARE(answer.encodedToMatch,
                 (QList<EncoderCheck::Answer::Differing>{
                     {2, "c.mp4 is 1080x1920 at 30 fps; the others are 1920x1080 at 30 fps."}}));
        QVERIFY(answer.differing.isEmpty());
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
};

QTEST_GUILESS_MAIN(TestJoinJobStart)
#include "test_join_job_start.moc"
