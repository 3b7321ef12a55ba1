#include "RealProgram.h"
#include "encoder/EncoderClips.h"
#include "encoder/MediaFacts.h"
#include "job/JobFolder.h"
#include "prefs/Preferences.h"
#include "support/Clips.h"
#include "support/Completion.h"
#include "support/RecordingSeams.h"
#include "ui/TSettingForm.h"
#include "ui/TopSettingForm.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <csignal>

// Whole jobs with the real encoder, through the real windows, Start pressed like a user.
class TestRealJob : public QObject
{
    Q_OBJECT

    std::unique_ptr<ProgramCopy> m_program;
    QTemporaryDir m_outputs;

    static bool writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    static bool ageByAnHour(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadWrite) &&
               file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                QFileDevice::FileModificationTime);
    }

    // Gone, or a zombie that nobody reaps: either way it no longer runs. Killed when it still
    // runs after 5 s.
    static bool endsSoon(pid_t process)
    {
        const auto ended = [process] {
            const QByteArray stat = fileContents(QStringLiteral("/proc/%1/stat").arg(process));
            return stat == "<missing>" || stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z";
        };
        const bool endedSoon = QTest::qWaitFor(ended, 5000);
        if (!endedSoon)
            ::kill(process, SIGKILL);
        return endedSoon;
    }

private slots:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramCopy>(programDirectory());
        QVERIFY(m_program->isValid());
        QVERIFY(m_outputs.isValid());
    }

    void init()
    {
        // Overwrite, no completion action; both stages.
        m_program->writePreferences();
    }

    void everyShippedProfileJoinsRealClips_data()
    {
        // The clips are made 2 s long; noaudio.avi and mono.avi 1 s. Every profile joins in both
        // ways: two conversions side by side and then the join, or one pass.
        QTest::addColumn<QString>("profile");
        QTest::addColumn<bool>("onePass");
        QTest::addColumn<QStringList>("clips");
        QTest::addColumn<double>("inputLength");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("videoCodec");
        QTest::addColumn<QString>("audioCodec");
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<QString>("rateSetting"); // "Frame Rate" of the preferences; none: 30
        QTest::addColumn<double>("frameRate");

        const QString mov = QStringLiteral("mov,mp4,m4a,3gp,3g2,mj2");
        for (const bool onePass : {false, true}) {
            const auto row = [onePass](const char* profile, const char* rate = "") -> QTestData& {
                return QTest::addRow("%s%s, %s", profile, rate, onePass ? "one pass" : "two stages")
                       << QString::fromLatin1(profile) << onePass;
            };
            row("ASF - Windows Media") << QStringList{"clip.asf", "clip.mov"} << 4.0 << "asf"
                                       << "msmpeg4v3"
                                       << "wmav2" << QSize(640, 480) << QString() << 30.0;
            row("AVI - MPEG-4 and MP3") << QStringList{"clip.avi", "noaudio.avi"} << 3.0 << "avi"
                                        << "mpeg4"
                                        << "mp3" << QSize(640, 480) << QString() << 30.0;
            row("FLV - Flash Video") << QStringList{"clip.mp4", "clip.wmv"} << 4.0 << "flv"
                                     << "flv1"
                                     << "mp3" << QSize(640, 480) << QString() << 30.0;
            row("MKV - H.264 and AAC")
                << QStringList{"clip.mkv", "clip.m2ts"} << 4.0 << "matroska,webm"
                << "h264"
                << "aac" << QSize(1280, 720) << QString() << 30.0;
            row("MOV - H.264 and AAC")
                << QStringList{"clip.mpg", "noaudio.avi"} << 3.0 << mov << "h264"
                << "aac" << QSize(1280, 720) << QString() << 30.0;
            row("MP4 - H.264 and AAC")
                << QStringList{"mono.avi", "clip.vob"} << 3.0 << mov << "h264"
                << "aac" << QSize(1280, 720) << QString() << 30.0;
            row("MPG - MPEG-1 and MP2") << QStringList{"clip.mpeg", "clip.avi"} << 4.0 << "mpeg"
                                        << "mpeg1video"
                                        << "mp2" << QSize(640, 480) << QString() << 30.0;
            row("VOB - DVD MPEG-2")
                << QStringList{"clip.vob", "noaudio.avi", "clip.asf"} << 5.0 << "mpeg"
                << "mpeg2video"
                << "ac3" << QSize(720, 576) << QString() << 30.0;
            // A PAL DVD, and the first video's own rate (25 fps, then 30).
            row("VOB - DVD MPEG-2", " at 25 fps")
                << QStringList{"clip.vob", "clip.avi"} << 4.0 << "mpeg"
                << "mpeg2video"
                << "ac3" << QSize(720, 576) << "25" << 25.0;
            row("MP4 - H.264 and AAC", " at the first video's rate")
                << QStringList{"clip.avi", "clip.mp4"} << 4.0 << mov << "h264"
                << "aac" << QSize(1280, 720) << "First" << 25.0;
            row("WMV - Windows Media") << QStringList{"clip.wmv", "clip.mp4"} << 4.0 << "asf"
                                       << "wmv2"
                                       << "wmav2" << QSize(640, 480) << QString() << 30.0;
        }
    }

    void everyShippedProfileJoinsRealClips()
    {
        QFETCH(QString, profile);
        QFETCH(bool, onePass);
        QFETCH(QStringList, clips);
        QFETCH(double, inputLength);
        QFETCH(QString, format);
        QFETCH(QString, videoCodec);
        QFETCH(QString, audioCodec);
        QFETCH(QSize, pictureSize);
        QFETCH(QString, rateSetting);
        QFETCH(double, frameRate);

        QByteArray preferences = onePass ? "One Pass=1\r\n" : "";
        if (!rateSetting.isEmpty())
            preferences += "Frame Rate=" + rateSetting.toLatin1() + "\r\n";
        m_program->writePreferences(preferences);
        QStringList inputs;
        for (const QString& clip : clips)
            inputs << clipPath(clip);
        RecordingSeams doubles;
        RealWindows windows(doubles.seams(), *m_program, inputs);
        windows.setConversionRunsAtOnce(2);
        QCOMPARE(windows.statuses().size(), clips.size());
        QVERIFY(windows.selectProfile(profile));
        // Without an extension: Start appends the profile's own.
        const QString output = m_outputs.filePath(QStringLiteral("joined"));
        windows.setOutputFile(output);

        windows.pressStart();

        QCOMPARE(doubles.messages.shown.value(0).text, completionText(windows.outputFile()));
        QCOMPARE(doubles.messages.shown.size(), 1);
        QVERIFY(windows.outputFile().startsWith(output + QLatin1Char('.')));
        const MediaFacts facts = readMediaFacts(windows.outputFile());
        QVERIFY(facts.opened);
        QCOMPARE(facts.format, format);
        QCOMPARE(facts.video.codec, videoCodec);
        QCOMPARE(facts.audio.codec, audioCodec);
        QCOMPARE(QSize(facts.video.width, facts.video.height), pictureSize);
        QCOMPARE(facts.video.frameRate, frameRate);
        QVERIFY2(qAbs(facts.video.duration - inputLength) <= 0.2,
                 qPrintable(QString::number(facts.video.duration)));
        QVERIFY2(qAbs(facts.audio.duration - inputLength) <= 0.2,
                 qPrintable(QString::number(facts.audio.duration)));
        QCOMPARE(windows.statuses(), QStringList(clips.size(), QStringLiteral("Complete")));
        QCOMPARE(m_program->leftInTempDir(), QStringList());
        QVERIFY(windows.isReadyForAJob());
        QFile::remove(windows.outputFile());
    }

    // "Same as the first video" is the first row's size as it plays, told beside the output file
    // before Start and made by the job; the job's speed then replaces the guessed time.
    void theSummaryTellsWhatTheJobMakes()
    {
        RecordingSeams doubles;
        RealWindows windows(doubles.seams(), *m_program,
                            {clipPath("portrait.mp4"), clipPath("clip.mp4")});
        QVERIFY(windows.selectProfile("MP4 - H.264 and AAC"));
        TopSettingForm& settings = windows.startup().opSettingForm();
        settings.show();
        settings.findChild<QAbstractButton*>("rdbFirstVideoSize")->click();
        settings.findChild<QPushButton*>("btnOK")->click();
        const QLabel* summary = windows.main().outputSummaryLine();
        QTRY_VERIFY2_WITH_TIMEOUT(summary->text().startsWith("MP4 · 180x320 · 30 fps"),
                                  qPrintable(summary->text()), 5000);
        QVERIFY(summary->text().endsWith("(a guess)"));
        windows.setOutputFile(m_outputs.filePath(QStringLiteral("first-size.mp4")));

        windows.pressStart();

        const MediaFacts facts = readMediaFacts(windows.outputFile());
        QCOMPARE(QSize(facts.video.width, facts.video.height), QSize(180, 320));
        QTRY_VERIFY2_WITH_TIMEOUT(!summary->text().endsWith("(a guess)"),
                                  qPrintable(summary->text()), 5000);
        QFile::remove(windows.outputFile());
    }

    void awkwardPathsReachTheEncoderWhole()
    {
        const QString folder = m_outputs.filePath(QStringLiteral("it's a \"folder\" $HOME; -x"));
        QVERIFY(QDir().mkpath(folder));
        const QString first = folder + QStringLiteral("/-first 'clip' $1;.avi");
        const QString second = folder + QStringLiteral("/\"second\" & `clip`.mp4");
        QVERIFY(QFile::copy(clipPath("clip.avi"), first));
        QVERIFY(QFile::copy(clipPath("clip.mp4"), second));
        RecordingSeams doubles;
        RealWindows windows(doubles.seams(), *m_program, {first, second});
        QCOMPARE(windows.statuses().size(), 2);
        QVERIFY(windows.selectProfile(QStringLiteral("AVI - MPEG-4 and MP3")));
        const QString output = folder + QStringLiteral("/-joined \"it's\" $x; *.avi");
        windows.setOutputFile(output);

        windows.pressStart();

        QCOMPARE(doubles.messages.shown.size(), 1);
        QCOMPARE(doubles.messages.shown.first().text, completionText(output));
        QCOMPARE(windows.outputFile(), output);
        const MediaFacts facts = readMediaFacts(output);
        QVERIFY2(qAbs(facts.video.duration - 4.0) <= 0.2,
                 qPrintable(QString::number(facts.video.duration)));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 3);
        QCOMPARE(m_program->leftInTempDir(), QStringList());
    }

    void anInputGoneSinceItWasAddedFailsTheJob()
    {
        const QString gone = m_outputs.filePath(QStringLiteral("gone.mp4"));
        QVERIFY(QFile::copy(clipPath("clip.mp4"), gone));
        RecordingSeams doubles;
        RealWindows windows(doubles.seams(), *m_program,
                            {clipPath("clip.avi"), gone, clipPath("clip.wmv")});
        windows.setConversionRunsAtOnce(1);
        QVERIFY(windows.selectProfile(QStringLiteral("AVI - MPEG-4 and MP3")));
        const QString output = m_outputs.filePath(QStringLiteral("never.avi"));
        windows.setOutputFile(output);
        QVERIFY(QFile::remove(gone));

        windows.pressStart();

        QCOMPARE(doubles.messages.shown.size(), 1);
        QCOMPARE(doubles.messages.shown.first().caption, QStringLiteral("Error"));
        QVERIFY2(doubles.messages.shown.first().text.startsWith(
                     QStringLiteral("The conversion of 'gone.mp4' failed.")),
                 qPrintable(doubles.messages.shown.first().text));
        QCOMPARE(windows.statuses(), (QStringList{"OK", "Failed", "OK"}));
        QVERIFY(!QFileInfo::exists(output));
        // Only the log stays, with what the real encoder said.
        QCOMPARE(m_program->leftInTempDirBesideLogs(), QStringList());
        QCOMPARE(m_program->keptLogs().size(), 1);
        QVERIFY2(doubles.messages.shown.first().details.contains("gone.mp4"),
                 qPrintable(doubles.messages.shown.first().details));
        m_program->removeKeptLogs();
        QVERIFY(windows.isReadyForAJob());
    }

    void inputsNamedLikeIntermediatesInTheTempFolderSurvive()
    {
        // The temporary folder is the inputs' folder; the first row's intermediate would be
        // named like the second row.
        const QString temp = m_program->tempDir();
        QVERIFY(QDir().mkpath(temp));
        QVERIFY(QFile::copy(clipPath("clip.avi"), temp + "0.avi"));
        QVERIFY(QFile::copy(clipPath("noaudio.avi"), temp + "1.avi"));
        RecordingSeams doubles;
        RealWindows windows(doubles.seams(), *m_program, {temp + "1.avi", temp + "0.avi"});
        QVERIFY(windows.selectProfile(QStringLiteral("AVI - MPEG-4 and MP3")));
        const QString output = m_outputs.filePath(QStringLiteral("named.avi"));
        windows.setOutputFile(output);

        windows.pressStart();

        QCOMPARE(doubles.messages.shown.size(), 1);
        QCOMPARE(doubles.messages.shown.first().text, completionText(output));
        const double length = readMediaFacts(output).video.duration;
        QVERIFY2(qAbs(length - 3.0) <= 0.2, qPrintable(QString::number(length)));
        QVERIFY(fileContents(temp + "0.avi") == fileContents(clipPath("clip.avi")));
        QVERIFY(fileContents(temp + "1.avi") == fileContents(clipPath("noaudio.avi")));
        QCOMPARE(m_program->leftInTempDir(), (QStringList{"0.avi", "1.avi"}));
        QFile::remove(temp + "0.avi");
        QFile::remove(temp + "1.avi");
        QFile::remove(output);
    }

    void anExistingOutputIsReplacedOnlyByACompleteJoin()
    {
        const QString input = m_outputs.filePath(QStringLiteral("input.avi"));
        QVERIFY(QFile::copy(clipPath("clip.avi"), input));
        const QString output = m_outputs.filePath(QStringLiteral("kept.avi"));
        QVERIFY(QFile::copy(clipPath("clip.wmv"), output));
        const QByteArray oldInput = fileContents(input);
        const QByteArray oldOutput = fileContents(output);
        const QStringList outputFolder = folderEntries(m_outputs.path());
        RecordingSeams doubles;
        RealWindows windows(doubles.seams(), *m_program, {input, clipPath("clip.mp4")});
        QVERIFY(windows.selectProfile(QStringLiteral("AVI - MPEG-4 and MP3")));

        // Refused: the output is one of the inputs.
        windows.setOutputFile(input);
        windows.pressStart();
        QCOMPARE(doubles.messages.shown.size(), 1);
        QCOMPARE(doubles.messages.shown.first().caption, QStringLiteral("Same File"));
        QCOMPARE(windows.statuses(), QStringList(2, QStringLiteral("OK")));

        // Refused at Start: a video bitrate of 0 typed into the editable box, which the encoder's
        // command line does not take.
        auto* bitrate =
            windows.startup().opSettingForm().findChild<QComboBox*>(QStringLiteral("cmbVbitrate"));
        QVERIFY(bitrate && bitrate->isEditable());
        const QString profileBitrate = bitrate->currentText();
        bitrate->setEditText(QStringLiteral("0"));
        windows.setOutputFile(output);
        windows.pressStart();
        QCOMPARE(doubles.messages.shown.size(), 2);
        QCOMPARE(doubles.messages.shown.last().caption, QStringLiteral("Invalid Output Settings"));
        QCOMPARE(doubles.messages.shown.last().text,
                 QStringLiteral("The value 0 of suboption vbitrate is out of range (1 to "
                                "100000000)."));
        QCOMPARE(windows.statuses(), QStringList(2, QStringLiteral("OK")));
        QVERIFY(windows.isReadyForAJob());
        bitrate->setEditText(profileBitrate);

        // A join that the encoder refuses only once it has looked at the inputs: a sample rate
        // typed into the editable box that the MP3 encoder does not take.
        auto* sampleRate =
            windows.startup().opSettingForm().findChild<QComboBox*>(QStringLiteral("cmbSrate"));
        QVERIFY(sampleRate && sampleRate->isEditable());
        const QString profileSampleRate = sampleRate->currentText();
        sampleRate->setEditText(QStringLiteral("96000"));
        windows.pressStart();
        QCOMPARE(doubles.messages.shown.size(), 3);
        QCOMPARE(doubles.messages.shown.last().caption, QStringLiteral("Error"));
        QCOMPARE(doubles.messages.shown.last().text,
                 QStringLiteral("The joining failed.\nThe libmp3lame encoder cannot take audio at "
                                "96000 Hz."));
        QVERIFY(windows.isReadyForAJob());

        QVERIFY(fileContents(input) == oldInput);
        QVERIFY(fileContents(output) == oldOutput);
        QCOMPARE(folderEntries(m_outputs.path()), outputFolder);
        QCOMPARE(m_program->leftInTempDirBesideLogs(), QStringList());
        QCOMPARE(m_program->keptLogs().size(), 1);
        m_program->removeKeptLogs();

        // Completed: the new video replaces the old one.
        sampleRate->setEditText(profileSampleRate);
        windows.pressStart();
        QCOMPARE(doubles.messages.shown.size(), 4);
        QCOMPARE(doubles.messages.shown.last().text, completionText(output));
        const double length = readMediaFacts(output).video.duration;
        QVERIFY2(qAbs(length - 4.0) <= 0.2, qPrintable(QString::number(length)));
        QCOMPARE(folderEntries(m_outputs.path()), outputFolder);
        QFile::remove(input);
        QFile::remove(output);
    }

    // A profile whose option text the encoder refuses (here no video bitrate chosen, so
    // "vbitrate=" is empty) is refused at Start with the encoder's reason: no conversion runs and
    // nothing is made, neither the temporary folder nor the output.
    void aProfileTheEncoderRefusesIsRefusedAtStart_data()
    {
        QTest::addColumn<bool>("onePass");
        QTest::newRow("two stages") << false;
        QTest::newRow("one pass") << true;
    }

    void aProfileTheEncoderRefusesIsRefusedAtStart()
    {
        QFETCH(bool, onePass);
        ProgramCopy program(programDirectory());
        QVERIFY(program.isValid());
        QString profile = QString::fromLatin1(fileContents(
            program.directory() + QStringLiteral("Profiles/AVI - MPEG-4 and MP3.bpf")));
        // A codec the encoder does not know is still one word: only the encoder can refuse it.
        QVERIFY(profile.contains(QStringLiteral("=mpeg4\r\n")) ||
                profile.contains(QStringLiteral("=mpeg4\n")));
        profile.replace(QStringLiteral("=mpeg4"), QStringLiteral("=nosuchcodec"));
        QFile damaged(program.directory() + QStringLiteral("Profiles/Damaged AVI.bpf"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(profile.toLatin1());
        damaged.close();
        if (onePass)
            program.writePreferences("One Pass=1\r\n");

        RecordingSeams doubles;
        RealWindows windows(doubles.seams(), program, {clipPath("clip.avi"), clipPath("clip.mp4")});
        QVERIFY(windows.selectProfile(QStringLiteral("Damaged AVI")));
        const QString output = m_outputs.filePath(QStringLiteral("damaged.avi"));
        windows.setOutputFile(output);
        const QStringList outputFolder = folderEntries(m_outputs.path());
        QElapsedTimer clock;
        clock.start();
        windows.pressStart();

        QCOMPARE(doubles.messages.shown.size(), 1);
        QCOMPARE(doubles.messages.shown.first().caption, QStringLiteral("Invalid Output Settings"));
        QCOMPARE(doubles.messages.shown.first().text,
                 QStringLiteral("Video codec nosuchcodec is not supported."));
        QCOMPARE(windows.statuses(), QStringList(2, QStringLiteral("OK")));
        QVERIFY(!QFileInfo::exists(program.tempDir()));
        QCOMPARE(folderEntries(m_outputs.path()), outputFolder);
        QVERIFY(windows.isReadyForAJob());
        qInfo("refused after %lld ms", clock.elapsed());
    }

    // A copy profile keeps every picture of clips that match, bit for bit, with a chapter at
    // each clip's start, and names a clip whose sound was replaced by silence; clips that differ
    // are refused at Start, naming the clip and the field, and nothing is made. Either way no
    // conversion runs, One Pass or not.
    void aCopyProfileKeepsThePicturesOrRefusesAtStart_data()
    {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<QStringList>("clips");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("note");     // after the completion message's first line
        QTest::addColumn<bool>("encodeSound"); // chosen in the Output Settings
        QTest::newRow("MP4") << "MP4 - Same as the videos (no re-encoding)"
                             << QStringList{"copy-a.mp4", "copy-b.mp4"} << QString() << QString()
                             << false;
        QTest::newRow("MKV") << "MKV - Same as the videos (no re-encoding)"
                             << QStringList{"copy-b.mp4", "copy-a.mkv"} << QString() << QString()
                             << false;
        // The others were not made by x264, whose settings a clip would be encoded with to match.
        QTest::newRow("another size")
            << "MP4 - Same as the videos (no re-encoding)"
            << QStringList{"copy-a-unnoted.mp4", "copy-b.mp4", "copy-size.mp4"}
            << "copy-size.mp4 is 176x144 at 30 fps; copy-a-unnoted.mp4 is 160x120 at 30 fps.\n"
               "These videos cannot be joined without re-encoding. Please choose a profile that "
               "re-encodes them, such as \"MP4 - H.264 and AAC\"."
            << QString() << false;
        // Its track is encoded whole.
        QTest::newRow("sound that cannot be encoded to match")
            << "MKV - Same as the videos (no re-encoding)"
            << QStringList{"copy-vorbis-a.mkv", "copy-44100.mp4", "copy-vorbis-b.mkv"} << QString()
            << QString() << false;
        QTest::newRow("MP4, a clip's sound undecodable")
            << "MP4 - Same as the videos (no re-encoding)"
            << QStringList{"copy-a.mp4", "copy-undecodable-sound.mp4", "copy-b.mp4"} << QString()
            << "\nSilence was put in place of the sound of copy-undecodable-sound.mp4, which could "
               "not be decoded."
            << true;
        QTest::newRow("MKV, a track it cannot keep")
            << "MKV - Same as the videos (no re-encoding)"
            << QStringList{"tracks-a.mp4", "tracks-b.mp4"} << QString()
            << "\nThe data track gpmd (eng) cannot be kept in an MKV file and is dropped." << false;
        // Opening its damaged picture makes FFmpeg log at length; the reason is the encoder's.
        QTest::newRow("a damaged clip of another codec")
            << "MP4 - Same as the videos (no re-encoding)"
            << QStringList{"copy-a-unnoted.mp4", "undecodable.avi"}
            << "undecodable.avi has mpeg4 video; copy-a-unnoted.mp4 has h264 video.\n"
               "These videos cannot be joined without re-encoding. Please choose a profile that "
               "re-encodes them, such as \"MP4 - H.264 and AAC\"."
            << QString() << false;
    }

    void aCopyProfileKeepsThePicturesOrRefusesAtStart()
    {
        QFETCH(QString, profile);
        QFETCH(QStringList, clips);
        QFETCH(QString, refusal);
        QFETCH(QString, note);
        QFETCH(bool, encodeSound);
        // The two-stage joins of the tests before leave the temporary folder in place.
        QVERIFY(QDir(m_program->tempDir()).removeRecursively());
        QStringList inputs;
        for (const QString& clip : clips)
            inputs << encoderClipPath(clip);
        RecordingSeams doubles;
        RealWindows windows(doubles.seams(), *m_program, inputs);
        QVERIFY(windows.selectProfile(profile));
        if (encodeSound)
            windows.chooseInOutputSettings("cmbAcodec", 1);
        const QString output = m_outputs.filePath(QStringLiteral("copied"));
        windows.setOutputFile(output);
        const QStringList outputFolder = folderEntries(m_outputs.path());

        windows.pressStart();

        QCOMPARE(doubles.messages.shown.size(), 1);
        if (!refusal.isEmpty()) {
            QCOMPARE(doubles.messages.shown.first().caption,
                     QStringLiteral("Videos Cannot Be Copied"));
            QCOMPARE(doubles.messages.shown.first().text, refusal);
            QCOMPARE(windows.statuses(), QStringList(inputs.size(), QStringLiteral("OK")));
            QCOMPARE(folderEntries(m_outputs.path()), outputFolder);
            QVERIFY(!QFileInfo::exists(m_program->tempDir()));
            return;
        }
        QCOMPARE(doubles.messages.shown.first().text, completionText(windows.outputFile(), note));
        QByteArrayList partSums;
        QList<double> starts;
        double start = 0.0;
        for (const QString& input : inputs) {
            partSums += pictureSums(input, false);
            starts << start;
            start += readMediaFacts(input).video.duration;
        }
        QCOMPARE(pictureSums(windows.outputFile(), false), partSums);
        const QList<ChapterMark> chapters = chaptersOf(windows.outputFile());
        QCOMPARE(chapters.size(), inputs.size());
        for (qsizetype part = 0; part < chapters.size(); ++part)
            QVERIFY2(qAbs(chapters[part].start - starts[part]) < 0.05,
                     qPrintable(QString::number(chapters[part].start)));
        QVERIFY(!QFileInfo::exists(m_program->tempDir()));
        QFile::remove(windows.outputFile());
    }

    // With a copy profile the list tells before Start whether its videos can be joined without
    // re-encoding, and marks each that stops it; Start says the same. Removing the marked ones
    // from the line leaves a list that can be joined; Undo brings them back.
    void theListTellsBeforeStartWhatACopyWillDo_data()
    {
        QTest::addColumn<QStringList>("clips"); // gone.mp4 is deleted once listed
        QTest::addColumn<QList<int>>("marked");
        QTest::addColumn<QString>("line");    // without the links' markup
        QTest::addColumn<QString>("caption"); // of Start's refusal; empty: none
        const QString cannot = QStringLiteral(
            " cannot be joined with the others without re-encoding: Remove %1 or Choose a profile "
            "that re-encodes.");
        const QString differ = QStringLiteral("Videos Cannot Be Copied");
        // Clips that differ from x264's are encoded again to match them; from another's, not.
        QTest::newRow("size differs")
            << QStringList{"copy-a-unnoted.mp4", "copy-b.mp4", "copy-size.mp4"} << QList<int>{2}
            << "copy-size.mp4 cannot be joined with the others without re-encoding: Remove it, "
               "Re-encode it with parameter sets in the stream, or Choose a profile that "
               "re-encodes."
            << differ;
        QTest::newRow("size differs, re-encoded")
            << QStringList{"copy-a.mp4", "copy-b.mp4", "copy-size.mp4"} << QList<int>{2}
            << "All 3 videos can be joined: copy-size.mp4 is re-encoded to match the others "
               "(Remove it), the rest are copied"
            << QString();
        QTest::newRow("rate and codec differ, first and third, re-encoded")
            << QStringList{"copy-rate.mp4", "copy-a.mp4", "copy-mpeg4.mp4", "copy-b.mp4"}
            << QList<int>{0, 2}
            << "All 4 videos can be joined: copy-rate.mp4 and copy-mpeg4.mp4 are re-encoded to "
               "match the others (Remove them), the rest are copied"
            << QString();
        QTest::newRow("sound differs, re-encoded")
            << QStringList{"copy-a.mp4", "copy-b.mp4", "copy-mp3.mp4"} << QList<int>{2}
            << "All 3 videos can be joined without re-encoding their pictures; the sound of "
               "copy-mp3.mp4 is re-encoded to match the others' (Remove it)"
            << QString();
        QTest::newRow("unreadable")
            << QStringList{"copy-a.mp4", "gone.mp4", "copy-b.mp4"} << QList<int>{1}
            << "gone.mp4" + cannot.arg("it") << "Video Cannot Be Read";
        QTest::newRow("all alike") << QStringList{"copy-a.mp4", "copy-b.mp4"} << QList<int>{}
                                   << "All 2 videos can be joined without re-encoding" << QString();
        QTest::newRow("tracks besides one sound track")
            << QStringList{"tracks-a.mp4", "tracks-b.mp4"} << QList<int>{}
            << "All 2 videos can be joined without re-encoding; the output keeps 2 sound tracks "
               "(English, French), subtitles and a data track (gpmd)"
            << QString();
        QTest::newRow("a sound track encoded whole")
            << QStringList{"tracks-pcm.mov", "tracks-b.mp4"} << QList<int>{}
            << "All 2 videos can be joined without re-encoding their pictures; the output keeps 2 "
               "sound tracks (English, French) and a data track (gpmd); the French sound track is "
               "re-encoded (MP4 cannot hold copied pcm_s16be audio)"
            << QString();
        // "@0.9": listed with its out point there, between keyframes, in a clip that another
        // encoder than x264 wrote (the points of an x264 clip stay where they are).
        QTest::newRow("a cut moves to a keyframe")
            << QStringList{"copy-a-unnoted.mp4@0.9", "copy-b.mp4"} << QList<int>{0}
            << "All 2 videos can be joined without re-encoding; the cuts of copy-a-unnoted.mp4 "
               "move to the "
               "nearest keyframes, as a copy keeps whole groups of pictures. Cut them exactly."
            << QString();
    }

    void theListTellsBeforeStartWhatACopyWillDo()
    {
        QFETCH(QStringList, clips);
        QFETCH(QList<int>, marked);
        QFETCH(QString, line);
        QFETCH(QString, caption);
        const QString gone = m_outputs.filePath(QStringLiteral("gone.mp4"));
        QStringList inputs;
        for (const QString& clip : clips)
            inputs << (clip == QLatin1String("gone.mp4")
                           ? gone
                           : encoderClipPath(clip.section('@', 0, 0)));
        QVERIFY(!inputs.contains(gone) || QFile::copy(encoderClipPath("copy-b.mp4"), gone));
        RecordingSeams doubles;
        RealWindows windows(doubles.seams(), *m_program, inputs);
        QVERIFY(windows.selectProfile(QStringLiteral("MP4 - Same as the videos (no re-encoding)")));
        windows.setOutputFile(m_outputs.filePath(QStringLiteral("outlook.mp4")));
        QFile::remove(gone);
        TaskListModel& rows = windows.main().taskList();
        for (int row = 0; row < clips.size(); ++row)
            if (clips[row].contains('@'))
                rows.setPoints(row, std::nullopt, clips[row].section('@', 1).toDouble());
        auto* shown = windows.control<QLabel>("labCopyOutlook");
        const auto answered = [&] {
            return QTest::qWaitFor([&] { return shown->isVisible(); }, 10000) &&
                   QTextDocumentFragment::fromHtml(shown->text()).toPlainText() == line;
        };
        QVERIFY2(answered(), qPrintable(shown->text()));
        QList<int> notes;
        for (int row = 0; row < rows.rowCount(); ++row) {
            const QString note = rows.index(row, 0).data(Qt::ToolTipRole).toString();
            if (!rows.index(row, TaskListModel::Status).data(TaskListModel::CopyNoteRole).isNull())
                notes << row;
            QVERIFY2(note.isEmpty() || note.contains(QFileInfo(inputs[row]).fileName()),
                     qPrintable(note));
        }
        QCOMPARE(notes, marked);
        // The Output Settings name the same tracks.
        if (const QString kept = line.section(QStringLiteral("the output keeps "), 1)
                                     .section(QLatin1Char(';'), 0, 0);
            !kept.isEmpty())
            QCOMPARE(QTextDocumentFragment::fromHtml(
                         windows.startup().opSettingForm().tracksLine()->text())
                         .toPlainText(),
                     "Tracks: the picture; " + kept);

        QCOMPARE(windows.main().job()->check(), caption.isEmpty());
        QCOMPARE(doubles.messages.shown.size(), caption.isEmpty() ? 0 : 1);
        // The consent to parameter sets in the stream, which keeps cuts exact or lets a clip
        // be encoded again to match another encoder's.
        const QStringList consentLinks{QStringLiteral("Cut them exactly"),
                                       QStringLiteral("with parameter sets in the stream")};
        const auto asksConsent = [&consentLinks](const QString& text) {
            return std::any_of(consentLinks.begin(), consentLinks.end(),
                               [&text](const QString& link) { return text.contains(link); });
        };
        if (asksConsent(line)) {
            emit shown->linkHovered(QStringLiteral("exact-cuts"));
            QVERIFY(shown->toolTip().contains(QStringLiteral("Safari")));
            // The consent is kept and the copy checked again with it, which the encoder takes.
            emit shown->linkActivated(QStringLiteral("exact-cuts"));
            QVERIFY(windows.startup().generalSettings().exactCutsInStream);
            QVERIFY(fileContents(m_program->preferencesPath()).contains("Exact Cuts In Stream=1"));
            QVERIFY2(QTest::qWaitFor(
                         [&] {
                             const QString text =
                                 QTextDocumentFragment::fromHtml(shown->text()).toPlainText();
                             return shown->isVisible() && text.startsWith(QStringLiteral("All")) &&
                                    !asksConsent(text);
                         },
                         10000),
                     qPrintable(shown->text()));
            // Turned off in the General Settings, the link is offered again.
            TSettingForm& settings = windows.startup().settingForm();
            settings.show();
            settings.findChild<QAbstractButton*>(QStringLiteral("chkExactCuts"))->click();
            settings.findChild<QAbstractButton*>(QStringLiteral("btnOK"))->click();
            QVERIFY2(answered(), qPrintable(shown->text()));
        }
        if (caption.isEmpty())
            return;
        QCOMPARE(doubles.messages.shown.first().caption, caption);
        emit shown->linkActivated(QStringLiteral("remove"));
        line = QStringLiteral("All %1 videos can be joined without re-encoding")
                   .arg(inputs.size() - marked.size());
        QVERIFY2(answered(), qPrintable(shown->text()));
        windows.control<QAction>("mnuUndo")->trigger();
        QCOMPARE(rows.rowCount(), inputs.size());
    }

    void twoProgramsWithOneTempFolderJoinTheirOwnClips()
    {
        struct Job
        {
            QStringList clips;
            double length;
            QString output;
            QProcess runner{};
        };
        Job jobs[2] = {{{"clip.avi", "clip.mp4"}, 4.0, m_outputs.filePath("first.avi")},
                       {{"noaudio.avi", "mono.avi"}, 2.0, m_outputs.filePath("second.avi")}};
        for (Job& job : jobs) {
            QStringList arguments{m_program->directory(), "AVI - MPEG-4 and MP3", job.output};
            for (const QString& clip : job.clips)
                arguments << clipPath(clip);
            job.runner.setProcessChannelMode(QProcess::MergedChannels);
            job.runner.start(JOB_RUNNER, arguments);
        }
        for (Job& job : jobs) {
            QVERIFY(job.runner.waitForFinished(120000));
            QVERIFY2(job.runner.exitStatus() == QProcess::NormalExit && job.runner.exitCode() == 0,
                     job.runner.readAll().constData());
            const double length = readMediaFacts(job.output).video.duration;
            QVERIFY2(qAbs(length - job.length) <= 0.2, qPrintable(QString::number(length)));
            QFile::remove(job.output);
        }
        QCOMPARE(m_program->leftInTempDir(), QStringList());
    }

    void theEncoderEndsWhenTheProgramDies()
    {
        ProgramCopy program(programDirectory());
        QVERIFY(program.isValid() && program.useEncoder(FAKE_ENCODER));
        QTemporaryDir scratch;
        const QString pidFile = scratch.filePath("encoder.pid");
        QFile script(scratch.filePath("script.txt"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("pidfile " + pidFile.toLocal8Bit() + "\nwait\n");
        script.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("FAKE_ENCODER_SCRIPT", script.fileName());
        QProcess runner;
        runner.setProcessEnvironment(environment);
        runner.start(JOB_RUNNER,
                     {program.directory(), "AVI - MPEG-4 and MP3", scratch.filePath("out.avi"),
                      clipPath("clip.avi"), clipPath("clip.mp4")});
        QTRY_VERIFY_WITH_TIMEOUT(fileContents(pidFile).endsWith('\n'), 30000);
        const pid_t encoder = fileContents(pidFile).trimmed().toInt();
        QVERIFY(encoder > 0);

        runner.kill();
        QVERIFY(runner.waitForFinished());
        QVERIFY(endsSoon(encoder));
    }

    // A program killed during a job leaves its job folder behind, intermediates and all; the
    // next job made beside it removes the folders of dead programs and nothing else: not the
    // folder of a job that runs in a second program, not one without a lock (being made, or
    // made by an older version), not one locked on another host, not a link to a folder, not a
    // folder of another name.
    void aNewJobRemovesOnlyTheFoldersOfDeadPrograms()
    {
        ProgramCopy program(programDirectory());
        QVERIFY(program.isValid() && program.useEncoder(FAKE_ENCODER));
        QTemporaryDir scratch;
        const QStringList job{program.directory(), "AVI - MPEG-4 and MP3",
                              scratch.filePath("out.avi"), clipPath("clip.avi"),
                              clipPath("clip.mp4")};
        // A job whose encoders write their intermediates and wait; the first encoder's process
        // id once it runs, 0 when it does not within 30 s.
        const auto startWaitingJob = [&](QProcess& runner, const QString& name) -> pid_t {
            const QString pidFile = scratch.filePath(name + ".pid");
            const QString script = scratch.filePath(name + ".txt");
            if (!writeFile(script, "output\n#0.avi pidfile " + pidFile.toLocal8Bit() + "\nwait\n"))
                return 0;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("FAKE_ENCODER_SCRIPT", script);
            runner.setProcessEnvironment(environment);
            runner.start(JOB_RUNNER, job);
            if (!QTest::qWaitFor([&] { return fileContents(pidFile).endsWith('\n'); }, 30000))
                return 0;
            return fileContents(pidFile).trimmed().toInt();
        };

        // Three programs killed during their jobs (one after the other, each new job would
        // already remove the folder of the one before).
        QProcess killed[3];
        pid_t killedEncoders[3];
        for (int n = 0; n < 3; ++n) {
            killedEncoders[n] = startWaitingJob(killed[n], QString("killed%1").arg(n));
            QVERIFY(killedEncoders[n] > 0);
        }
        for (int n = 0; n < 3; ++n) {
            killed[n].kill();
            QVERIFY(killed[n].waitForFinished());
            QVERIFY(endsSoon(killedEncoders[n]));
        }
        const QStringList killedFolders = program.leftInTempDir();
        QCOMPARE(killedFolders.size(), 3);
        const QString killedFolder = program.tempDir() + killedFolders.first() + "/";
        QVERIFY(QFileInfo(killedFolder + "0.avi").isFile());
        const QByteArray staleLock = fileContents(killedFolder + kJobFolderLockName);

        QProcess second;
        const pid_t secondEncoder = startWaitingJob(second, "second");
        QVERIFY(secondEncoder > 0);
        QStringList kept = program.leftInTempDir();
        for (const QString& folder : killedFolders)
            kept.removeOne(folder);
        QCOMPARE(kept.size(), 1);

        // A folder without a lock, one locked on another host, a link to a folder of a dead job
        // and a folder of a dead job under another name.
        const QString temp = program.tempDir();
        QVERIFY(QDir().mkpath(temp + "job-noLock") && writeFile(temp + "job-noLock/0.avi", "x"));
        QList<QByteArray> abroad = staleLock.split('\n');
        QVERIFY(abroad.size() >= 4);
        abroad[2] = "elsewhere";
        abroad[3] = "another-machine";
        QVERIFY(QDir().mkpath(temp + "job-abroad") &&
                writeFile(temp + "job-abroad/" + kJobFolderLockName, abroad.join('\n')));
        const QString target = scratch.filePath("target/");
        QVERIFY(QDir().mkpath(target) && writeFile(target + kJobFolderLockName, staleLock) &&
                writeFile(target + "0.avi", "x"));
        QVERIFY(QFile::link(target, temp + "job-linked"));
        QVERIFY(QDir().mkpath(temp + "job-7letter") &&
                writeFile(temp + "job-7letter/" + kJobFolderLockName, staleLock));
        // Every lock as old as that of a job that has run for an hour.
        for (const QString& folder : QStringList{kept.first(), "job-abroad", "job-7letter"})
            QVERIFY(ageByAnHour(temp + folder + "/" + kJobFolderLockName));
        QVERIFY(ageByAnHour(target + kJobFolderLockName));
        kept << "job-noLock"
             << "job-abroad"
             << "job-linked"
             << "job-7letter";
        // The logs of failed jobs, one more than are kept, a minute apart: the oldest goes. One
        // older still that holds more than its log is not a kept log, and stays.
        const auto keptLog = [&](const QString& folder, int minutesOld) {
            QFile log(temp + folder + "/" + kJobFolderLogName);
            return QDir().mkpath(temp + folder) && log.open(QIODevice::WriteOnly) &&
                   log.write("=== Run 1") > 0 && log.flush() &&
                   log.setFileTime(QDateTime::currentDateTime().addSecs(-60 * minutesOld),
                                   QFileDevice::FileModificationTime);
        };
        for (int n = 0; n <= kKeptJobLogs; ++n) {
            const QString folder = QString("job-lg%1").arg(n, 4, 10, QChar('0'));
            QVERIFY(keptLog(folder, n + 1));
            if (n < kKeptJobLogs)
                kept << folder;
        }
        QVERIFY(keptLog("job-lgMore", 100) && writeFile(temp + "job-lgMore/0.avi", "x"));
        kept << "job-lgMore";
        kept.sort();

        // Without a script the fake encoder writes its output and ends at once.
        QProcess next;
        next.setProcessChannelMode(QProcess::MergedChannels);
        next.start(JOB_RUNNER, job);
        QVERIFY(next.waitForFinished(60000));
        QVERIFY2(next.exitStatus() == QProcess::NormalExit && next.exitCode() == 0,
                 next.readAll().constData());

        QStringList left = program.leftInTempDir();
        left.sort();
        QCOMPARE(left, kept);
        QCOMPARE(folderEntries(target), (QStringList{"0.avi", kJobFolderLockName}));
        second.kill();
        QVERIFY(second.waitForFinished());
        QVERIFY(endsSoon(secondEncoder));
    }

    void closingDuringAJobStoresThePreferencesAndAsks_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("No: the job runs on") << false;
        QTest::newRow("Yes: stopped and closed") << true;
    }
    void closingDuringAJobStoresThePreferencesAndAsks()
    {
        QFETCH(bool, stop);
        m_program->writePreferences();
        RecordingSeams doubles;
        doubles.messages.answers.enqueue(stop);
        RealWindows windows(doubles.seams(), *m_program,
                            {clipPath("clip.avi"), clipPath("clip.mp4"), clipPath("clip.wmv")});
        QVERIFY(windows.selectProfile(QStringLiteral("AVI - MPEG-4 and MP3")));
        const int profileIndex = windows.control<QComboBox>("cmbProfile")->currentIndex();
        QVERIFY(profileIndex > 0); // not what the preferences hold
        const QString output = m_outputs.filePath(QStringLiteral("closing.avi"));
        QFile::remove(output);
        windows.setOutputFile(output);

        // Close while the second clip is converted.
        bool stillShown = false;
        int storedProfile = -1;
        QString storedOutput;
        QStringList statusesAtClose;
        TaskListModel& rows = windows.main().taskList();
        QObject::connect(&rows, &QAbstractItemModel::dataChanged, &windows.main(), [&] {
            if (statusesAtClose.isEmpty() && windows.statuses().value(1) == "Converting")
                QTimer::singleShot(0, &windows.main(), [&] {
                    statusesAtClose = windows.statuses();
                    windows.main().close();
                    stillShown = windows.main().isVisible();
                    const auto stored = prefs::readMainWindowChoice(m_program->preferencesPath());
                    storedProfile = stored.profileIndex;
                    storedOutput = stored.outputFile;
                });
        });

        windows.pressStart();

        QCOMPARE(statusesAtClose.value(1), QStringLiteral("Converting"));
        QVERIFY(stillShown);
        QCOMPARE(storedProfile, profileIndex);
        QCOMPARE(storedOutput, output);
        QCOMPARE(doubles.messages.shown.value(0).owner, &windows.main());
        // No: the job ran to its end, with its message, and the window stays. Yes: it was
        // stopped, and the window closed without a word.
        QCOMPARE(doubles.messages.shown.size(), stop ? 1 : 2);
        QCOMPARE(QFileInfo(output).size() > 0, !stop);
        QCOMPARE(m_program->leftInTempDir(), QStringList());
        QCOMPARE(windows.main().isVisible(), !stop);
    }
};

QTEST_MAIN(TestRealJob)
#include "test_real_job.moc"
