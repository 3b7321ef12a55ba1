#include "app/Startup.h"
#include "job/JoinJob.h"
#include "support/Clips.h"
#include "support/Completion.h"
#include "support/ProgressStrip.h"
#include "support/RecordingSeams.h"
#include "tasks/JobListFile.h"
#include "tasks/TaskListModel.h"
#include "ui/ElidedLabel.h"
#include "ui/MainWindowJobView.h"
#include "ui/TAboutForm.h"
#include "ui/TMainForm.h"
#include "ui/TSettingForm.h"
#include "ui/TopSettingForm.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

// The main window's own side: layout, profile box, output file, preferences on show and close,
// and the commands that open things.
class TestMainForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_programDir;
    RecordingSeams m_doubles;

    QString programFile(const QString& name) const { return m_programDir->filePath(name); }
    void writeFile(const QString& path, const QByteArray& content = "x")
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    // The numbers a job's option text needs from every profile.
    static constexpr const char* kNumbers =
        "[Video Bitrate]\nItems=1\nCaption0=800\nIndex=0\n[Audio Bitrate]\nItems=1\n"
        "Caption0=128\nIndex=0\n[Sample Rate]\nItems=1\nCaption0=44100\nIndex=0\n";
    // How each clip that a copy encodes again differs, in the tests' encoder answers.
    static constexpr const char* kEncodedBecause =
        " is 1080x1920 at 30 fps; the others are 1920x1080 at 30 fps.";
    void makeProfiles(const QStringList& names)
    {
        QDir().mkpath(programFile("Profiles"));
        for (const QString& name : names)
            writeFile(programFile("Profiles/" + name + ".bpf"),
                      "[Main]\nType=" + name.toLatin1() + "\n" + kNumbers);
    }
    std::unique_ptr<Startup> start(const QStringList& arguments = {})
    {
        auto windows =
            std::make_unique<Startup>(m_doubles.seams(), programFile("vantomel"), arguments);
        windows->mainForm().show();
        return windows;
    }
    template <typename T> static T* child(QWidget& window, const char* name)
    {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QByteArray preferences() const
    {
        QFile file(programFile("Preferences.ini"));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

private slots:
    void init()
    {
        m_programDir = std::make_unique<QTemporaryDir>();
        m_doubles = RecordingSeams();
        qunsetenv("FAKE_ENCODER_CHECK");
    }

    void startsWithTheSettingsPanelAndEveryPicture()
    {
        makeProfiles({"b", "A", "c"});
        auto windows = start();
        TMainForm& main = windows->mainForm();
        QCOMPARE(main.size(), QSize(798, 542));
        QVERIFY(child<QWidget>(main, "panBottomCenter")->isVisible());
        QVERIFY(!child<QWidget>(main, "panBottomLeft")->isVisible());
        QCOMPARE(child<QLabel>(main, "labProcessTitle")->text(), QString("Converting (Prepare):"));
        QCOMPARE(child<QLabel>(main, "labConvertingFile")->text(), QString("No File"));
        QCOMPARE(child<QLabel>(main, "labElapsed")->text(), QString("00:00:00"));
        QCOMPARE(child<QLabel>(main, "labCurProgress")->text(), QString("0%"));
        QCOMPARE(child<QProgressBar>(main, "pgbTotal")->maximum(), 100);
        QVERIFY(!child<QLabel>(main, "imgLogo")->pixmap().isNull());
        QCOMPARE(child<QPushButton>(main, "bbtnSetting")->text(), QString("&Setting"));
        QCOMPARE(child<QPushButton>(main, "bbtnBrowser")->text(), QString("&Browser"));
        QCOMPARE(child<QPushButton>(main, "bbtnOpen")->text(), QString("&Open"));
        // No button is ever blank, on this platform without an icon theme too.
        for (QAction* action : child<QToolBar>(main, "tbrMain")->actions()) {
            if (action->isSeparator())
                continue;
            QVERIFY2(!action->icon().pixmap(48, 48, QIcon::Normal).isNull(),
                     qPrintable(action->objectName()));
            QVERIFY(!action->icon().pixmap(48, 48, QIcon::Disabled).isNull());
        }
        auto* profiles = child<QComboBox>(main, "cmbProfile");
        QCOMPARE(profiles->count(), 3);
        QCOMPARE(profiles->itemText(0), QString("A"));
        QCOMPARE(profiles->itemText(2), QString("c"));
        // Without preferences the first profile is chosen and loaded.
        QCOMPARE(profiles->currentIndex(), 0);
        QCOMPARE(windows->currentProfile().path(), programFile("Profiles/A.bpf"));
        QCOMPARE(windows->currentProfile().outputExtension(), QString(".A"));
        QVERIFY(m_doubles.messages.shown.isEmpty());
    }

    // Every text of the progress panel shows whole however narrow the user makes the window,
    // also when a longer title comes after the window was narrowed; a wider window gives the
    // room to the file name, the bars and the output file box.
    void progressTextsFitAtEveryWidth_data()
    {
        QTest::addColumn<QString>("firstTitle");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("fileShown");
        QTest::newRow("conversion") << "Prepare (Converting):"
                                    << "Prepare (Converting):" << true;
        QTest::newRow("join after the conversions") << "Prepare (Converting):"
                                                    << "Final Step: Joining all files..." << false;
        QTest::newRow("one pass") << "Final Step: Joining all files..."
                                  << "Final Step: Joining all files..." << true;
    }
    void progressTextsFitAtEveryWidth()
    {
        QFETCH(QString, firstTitle);
        QFETCH(QString, title);
        QFETCH(bool, fileShown);
        auto windows = start();
        TMainForm& main = windows->mainForm();
        MainWindowJobView view(main, main.controls(), m_doubles.taskbar, [] {});
        const QString file = "d4_wmv.wmv";
        view.showProgressPanel(true);
        view.setProcessTitle(firstTitle);
        view.setConvertingFileVisible(fileShown);
        view.setConvertingFile(file);

        QLineEdit* output = child<QLineEdit>(main, "edtOutputFile");
        const int outputWidth = output->width();
        for (const int width : {main.width() + 500, 1}) {
            main.resize(width, main.height());
            view.setProcessTitle(title);
            QTRY_VERIFY2_WITH_TIMEOUT(main.width() >= main.minimumSizeHint().width(),
                                      "the window stays narrower than its contents", 5000);
            QCoreApplication::processEvents();
            for (const ProgressLabelFit& fit : progressLabelFits(main))
                QVERIFY2(fit.fits(), qPrintable(QString("%1 at a window width of %2")
                                                    .arg(fit.describe())
                                                    .arg(main.width())));
            if (width > 1000) {
                QCOMPARE(child<ElidedLabel>(main, "labConvertingFile")->shownText(), file);
                view.showProgressPanel(false);
                QCoreApplication::processEvents();
                QVERIFY2(output->width() >= outputWidth + 400,
                         "the output file box does not grow with the window");
                view.showProgressPanel(true);
            }
        }
    }

    void storedProfileIndex_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("in range") << QByteArray("Profile=2") << 2 << "c";
        QTest::newRow("out of range") << QByteArray("Profile=3") << -1 << "";
        QTest::newRow("none") << QByteArray("Profile=-1") << -1 << "";
        QTest::newRow("not a number") << QByteArray("Profile=two") << 0 << "a";
    }
    void storedProfileIndex()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, selected);
        QFETCH(QString, loaded);
        makeProfiles({"a", "b", "c"});
        writeFile(programFile("Preferences.ini"), "[Main]\n" + stored + "\nOutput File=/x/y.avi\n");
        auto windows = start();
        QCOMPARE(child<QComboBox>(windows->mainForm(), "cmbProfile")->currentIndex(), selected);
        QCOMPARE(windows->currentProfile().path(),
                 loaded.isEmpty() ? QString() : programFile("Profiles/" + loaded + ".bpf"));
        QCOMPARE(child<QLineEdit>(windows->mainForm(), "edtOutputFile")->text(),
                 QString("/x/y.avi"));
    }

    void withoutProfilesTheBoxStaysEmpty()
    {
        auto windows = start();
        QCOMPARE(child<QComboBox>(windows->mainForm(), "cmbProfile")->count(), 0);
        QVERIFY(m_doubles.messages.shown.isEmpty());
    }

    void choosingAProfileLoadsIt()
    {
        makeProfiles({"a", "b"});
        writeFile(programFile("Profiles/C.BPF"), "[Main]\nType=mov\n");
        auto windows = start();
        auto* profiles = child<QComboBox>(windows->mainForm(), "cmbProfile");
        profiles->setCurrentIndex(2);
        QCOMPARE(windows->currentProfile().outputExtension(), QString(".mov"));
        profiles->setCurrentIndex(1);
        QCOMPARE(windows->currentProfile().outputExtension(), QString(".b"));
        // A profile deleted after start-up loads nothing; the last one stays.
        QFile::remove(programFile("Profiles/a.bpf"));
        profiles->setCurrentIndex(0);
        QCOMPARE(windows->currentProfile().outputExtension(), QString(".b"));
    }

    void closingStoresProfileAndOutputFile()
    {
        makeProfiles({"a", "b"});
        writeFile(programFile("Preferences.ini"), "; mine\n[Main]\nVersion=1.5\n");
        auto windows = start();
        child<QComboBox>(windows->mainForm(), "cmbProfile")->setCurrentIndex(1);
        child<QLineEdit>(windows->mainForm(), "edtOutputFile")->setText("/out/film.mp4");
        windows->mainForm().close();
        QCOMPARE(preferences(),
                 QByteArray("; mine\n[Main]\nVersion=1.5\nProfile=1\nOutput File=/out/film.mp4\n"
                            "Profile Name=b\n"));

        auto again = start();
        child<QComboBox>(again->mainForm(), "cmbProfile")->setCurrentIndex(-1);
        again->mainForm().close();
        QVERIFY(preferences().contains("Profile=-1\n"));
    }

    void openShowsTheFileElseItsFolder()
    {
        auto windows = start();
        auto* output = child<QLineEdit>(windows->mainForm(), "edtOutputFile");
        auto* open = child<QPushButton>(windows->mainForm(), "bbtnOpen");
        output->setText(programFile("missing.avi"));
        open->click();
        QCOMPARE(m_doubles.shell.opened, QStringList{m_programDir->path() + "/"});
        writeFile(programFile("there.avi"));
        output->setText(programFile("there.avi"));
        open->click();
        QCOMPARE(m_doubles.shell.opened.last(), programFile("there.avi"));
        output->setText("/no/such/folder/x.avi");
        open->click();
        output->setText("x.avi");
        open->click();
        QCOMPARE(m_doubles.shell.opened.size(), 2);
    }

    void browserOffersTheProfilesOutputTypeFirstAndPutsTheChosenFileInTheBox()
    {
        makeProfiles({"avi", "mp4"});
        auto windows = start();
        auto* profiles = child<QComboBox>(windows->mainForm(), "cmbProfile");
        QPushButton* browser = child<QPushButton>(windows->mainForm(), "bbtnBrowser");
        profiles->setCurrentIndex(profiles->findText("mp4"));
        m_doubles.dialogs.saveAnswers.enqueue("/videos/new.wmv");
        browser->click();
        QCOMPARE(child<QLineEdit>(windows->mainForm(), "edtOutputFile")->text(),
                 QString("/videos/new.wmv"));
        // A name typed without its extension becomes new.mp4, not new.avi.mp4.
        QCOMPARE(m_doubles.dialogs.suffixesSeen.last(), QString("mp4"));
        QCOMPARE(m_doubles.dialogs.filtersSeen.last(),
                 QString("MP4 Files (*.mp4)|*.mp4|AVI Files (*.avi)|*.avi|MPG Files (*.mpg)|*.mpg|"
                         "WMV Files (*.wmv)|*.wmv|MOV Files (*.mov)|*.mov|VOB Files (*.vob)|*.vob|"
                         "ASF Files (*.asf)|*.asf|FLV Files (*.flv)|*.flv|MKV Files (*.mkv)|*.mkv|"
                         "All Files (*.*)|*.*"));
        profiles->setCurrentIndex(profiles->findText("avi"));
        browser->click(); // cancelled
        QCOMPARE(m_doubles.dialogs.suffixesSeen.last(), QString("avi"));
        QVERIFY(m_doubles.dialogs.filtersSeen.last().startsWith("AVI Files (*.avi)|*.avi|MPG"));
        QCOMPARE(child<QLineEdit>(windows->mainForm(), "edtOutputFile")->text(),
                 QString("/videos/new.wmv"));
    }

    void helpAndWebPageOpenThroughTheShell()
    {
        auto windows = start();
        TMainForm& main = windows->mainForm();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        child<QAction>(main, "tbtnHelp")->trigger();
        QTest::keyClick(&main, Qt::Key_F1);
        QTest::mouseClick(child<QLabel>(main, "imgLogo"), Qt::LeftButton);
        QCOMPARE(m_doubles.shell.opened,
                 (QStringList{programFile("help/index.html"), programFile("help/index.html"),
                              main.programInfo().webPage}));
    }

    // The standard keys do what their buttons do; Esc does nothing while no job runs.
    void standardKeysWorkLikeTheirButtons()
    {
        auto windows = start({clipPath("clip.avi")});
        TMainForm& main = windows->mainForm();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(&main, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(m_doubles.dialogs.filtersSeen.size(), 1);
        QTest::keyClick(&main, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(&main, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_doubles.dialogs.filtersSeen.mid(1), QStringList(2, kJobListFilter));
        QCOMPARE(m_doubles.dialogs.questionsSeen,
                 QVector<ExistingFileQuestion>{ExistingFileQuestion::Dialog});
        QTest::keyClick(&main, Qt::Key_Escape);
        QVERIFY(m_doubles.messages.shown.isEmpty());
        QTest::keyClick(&main, Qt::Key_Return, Qt::ControlModifier);
        QTRY_COMPARE(m_doubles.messages.shown.size(), 1);
        QCOMPARE(m_doubles.messages.shown.first().text,
                 QString("Please add at least 2 videos to the task for joining."));
        QTest::keyClick(&main, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!main.isVisible());
    }

    void commandsShowTheOneExistingDialog()
    {
        makeProfiles({"a"});
        auto windows = start();
        TMainForm& main = windows->mainForm();
        child<QAction>(main, "tbtnSetting")->trigger();
        QVERIFY(windows->settingForm().isVisible());
        QVERIFY(!main.isEnabled());
        windows->settingForm().close();
        QVERIFY(main.isEnabled());
        child<QPushButton>(main, "bbtnSetting")->click();
        QVERIFY(windows->opSettingForm().isVisible());
        windows->opSettingForm().close();
        child<QAction>(main, "tbtnAbout")->trigger();
        QVERIFY(windows->aboutForm().isVisible());
        windows->aboutForm().close();
        QVERIFY(main.isEnabled());
    }

    void generalSettingsShareTheOutputFileBox()
    {
        auto windows = start();
        TMainForm& main = windows->mainForm();
        child<QLineEdit>(main, "edtOutputFile")->setText("/from/main.avi");
        child<QAction>(main, "tbtnSetting")->trigger();
        auto* dialogBox = child<QLineEdit>(windows->settingForm(), "edtOutputFile");
        QCOMPARE(dialogBox->text(), QString("/from/main.avi"));
        dialogBox->setText("/from/dialog.avi");
        child<QPushButton>(windows->settingForm(), "btnOK")->click();
        QCOMPARE(child<QLineEdit>(main, "edtOutputFile")->text(), QString("/from/dialog.avi"));
        QVERIFY(preferences().contains("Output File=/from/dialog.avi"));
    }

    // While a job runs its total progress shows on the task-bar entry; how it ended reaches a
    // user working in another window as a desktop notification too.
    void aJobShowsOnTheTaskbarAndNotifiesAnInactiveWindow_data()
    {
        QTest::addColumn<bool>("windowActive");
        QTest::newRow("main window active") << true;
        QTest::newRow("another window active") << false;
    }
    void aJobShowsOnTheTaskbarAndNotifiesAnInactiveWindow()
    {
        QFETCH(bool, windowActive);
        makeProfiles({"a"});
        QVERIFY(QFile::copy(FAKE_PROGRAM_DIR "asapi.dll", programFile("asapi.dll")));
        // Each encoder run writes the 20 lines the program passes over, its position at 0.5 s
        // steps, then its output.
        writeFile(programFile("encoder-script"), "banner 20\npos 0 1 0.5\noutput\n");
        qputenv("FAKE_ENCODER_SCRIPT", programFile("encoder-script").toLocal8Bit());
        auto windows = start({clipPath("clip.avi"), clipPath("clip.mp4")});
        TMainForm& main = windows->mainForm();
        child<QLineEdit>(main, "edtOutputFile")->setText(programFile("joined.a"));
        QWidget elsewhere;
        if (!windowActive) {
            elsewhere.show();
            elsewhere.activateWindow();
        }
        QVERIFY(
            QTest::qWaitForWindowActive(windowActive ? static_cast<QWidget*>(&main) : &elsewhere));

        child<QAction>(main, "tbtnStart")->trigger();
        QTRY_COMPARE(m_doubles.messages.shown.size(), 1);
        QCOMPARE(m_doubles.messages.shown[0].text, completionText(programFile("joined.a")));
        QVERIFY(QFileInfo(programFile("joined.a")).size() > 0);
        const QVector<RecordedMessage> notes = m_doubles.notifications.notes;
        QCOMPARE(notes.size(), windowActive ? 0 : 1);
        if (!windowActive) {
            QCOMPARE(notes[0].caption, QString("Complete"));
            QCOMPARE(notes[0].text, completionText(programFile("joined.a")));
        }
        const QVector<int> progress = m_doubles.taskbar.shown;
        QVERIFY(progress.size() >= 3);
        QCOMPARE(progress.first(), 0);
        QVERIFY(std::any_of(progress.begin(), progress.end(),
                            [](int percent) { return percent > 0 && percent < 100; }));
        QCOMPARE(progress.at(progress.size() - 2), 100);
        QCOMPARE(progress.last(), -1); // cleared once the job is over
        qunsetenv("FAKE_ENCODER_SCRIPT");
    }

    // What the job writes and how: the output extension, the picture size of the conversions
    // and the option text of the join all come from the profile the Output Settings dialog
    // shows, with the user's edits in it, never partly from the profile box.
    void theJobRunsWithTheProfileTheDialogShows_data()
    {
        QTest::addColumn<bool>("chosenFileDeleted");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("video");
        QTest::newRow("switched, then edited") << false << ".b"
                                               << "scale=640:360"
                                               << "vcodec=codecB:vbitrate=1234:";
        QTest::newRow("the chosen profile's file is gone: the one loaded stays")
            << true << ".a"
            << "scale=320:240"
            << "vcodec=codecA:vbitrate=800:";
    }
    void theJobRunsWithTheProfileTheDialogShows()
    {
        QFETCH(bool, chosenFileDeleted);
        QDir().mkpath(programFile("Profiles"));
        const auto profile = [](const QByteArray& type, const QByteArray& codec,
                                const QByteArray& size, const QByteArray& bitrate) -> QByteArray {
            return "[Main]\nType=" + type +
                   "\n[Video Codec]\nItems=1\nCaption0=C\nIndex=0\nvalue0=" + codec +
                   "\n[Video Size]\nItems=1\nCaption0=S\nIndex=0\nvalue0=" + size +
                   "\n[Video Bitrate]\nItems=1\nCaption0=" + bitrate +
                   "\nIndex=0\n[Audio Bitrate]\nItems=1\nCaption0=128\nIndex=0\n"
                   "[Sample Rate]\nItems=1\nCaption0=44100\nIndex=0\n";
        };
        writeFile(programFile("Profiles/a.bpf"), profile("a", "codecA", "320:240", "800"));
        writeFile(programFile("Profiles/b.bpf"), profile("b", "codecB", "640:360", "900"));
        QVERIFY(QFile::copy(FAKE_PROGRAM_DIR "asapi.dll", programFile("asapi.dll")));
        qputenv("FAKE_ENCODER_LOG", programFile("encoder-log").toLocal8Bit());
        auto windows = start({clipPath("clip.avi"), clipPath("clip.mp4")});
        TMainForm& main = windows->mainForm();
        QCOMPARE(windows->currentProfile().outputExtension(), QString(".a"));

        if (chosenFileDeleted)
            QVERIFY(QFile::remove(programFile("Profiles/b.bpf")));
        child<QComboBox>(main, "cmbProfile")->setCurrentIndex(1);
        if (!chosenFileDeleted) {
            child<QPushButton>(main, "bbtnSetting")->click();
            QLineEdit* bitrate =
                child<QComboBox>(windows->opSettingForm(), "cmbVbitrate")->lineEdit();
            bitrate->selectAll();
            QTest::keyClicks(bitrate, "1234");
            child<QPushButton>(windows->opSettingForm(), "btnOK")->click();
            QVERIFY(!windows->opSettingForm().isVisible());
        }
        child<QLineEdit>(main, "edtOutputFile")->setText(programFile("joined"));
        child<QAction>(main, "tbtnStart")->trigger();
        QTRY_COMPARE(m_doubles.messages.shown.size(), 1);
        qunsetenv("FAKE_ENCODER_LOG");
        QFETCH(QString, extension);
        const QString output = programFile("joined") + extension;
        QCOMPARE(m_doubles.messages.shown[0].text, completionText(output));
        QVERIFY(QFileInfo(output).isFile());
        QFile log(programFile("encoder-log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QStringList runs =
            QString::fromLocal8Bit(log.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(runs.size(), 3);
        QFETCH(QString, scale);
        QFETCH(QString, video);
        int joins = 0;
        for (const QString& run : runs) {
            const QStringList arguments = run.split(QChar(0x1f));
            if (arguments.contains(output)) {
                ++joins;
                QVERIFY2(arguments.contains(scale), qPrintable(run));
                QVERIFY2(std::any_of(arguments.begin(), arguments.end(),
                                     [&](const QString& a) { return a.startsWith(video); }),
                         qPrintable(run));
            } else {
                // The conversions fit each picture into the same size.
                const QString size = scale.mid(QString("scale=").size());
                QVERIFY2(std::any_of(arguments.begin(), arguments.end(),
                                     [&](const QString& a) {
                                         return a.startsWith("dsize=") && a.endsWith("=" + size);
                                     }),
                         qPrintable(run));
            }
        }
        QCOMPARE(joins, 1);
    }

    // A copy that encodes some clips again to match the others tells so on the list's line,
    // marks each with why, counts them in the summary and starts like any copy. The line's link
    // removes them; Undo brings them back.
    void aCopyThatEncodesClipsAgainSaysWhich_data()
    {
        QTest::addColumn<int>("clips");         // a.mp4, b<i>.mp4, c.mp4, d.mp4, ...
        QTest::addColumn<QByteArray>("answer"); // the encoder check's
        QTest::addColumn<QList<int>>("encoded");
        QTest::addColumn<QString>("line"); // without the links' markup
        QTest::addColumn<int>("pictures"); // the clips whose pictures are encoded again
        const QByteArray why = kEncodedBecause;
        QTest::newRow("one") << 3 << "Encoded 2: b<i>.mp4" + why << QList<int>{1}
                             << "All 3 videos can be joined: b<i>.mp4 is re-encoded to match the "
                                "others (Remove it), the rest are copied"
                             << 1;
        QTest::newRow("more than the line names, and a cut that moves")
            << 6
            << "Encoded 1: a.mp4" + why + "\\nEncoded 2: b<i>.mp4" + why + "\\nEncoded 4: d.mp4" +
                   why + "\\nEncoded 6: f.mp4" + why +
                   "\\nMoved 3: the in point 00:00:00.500 of c.mp4 moves to the keyframe at "
                   "00:00:00.000"
            << QList<int>{0, 1, 3, 5}
            << "All 6 videos can be joined: a.mp4, b<i>.mp4, d.mp4 and 1 more are re-encoded to "
               "match the others (Remove them), the rest are copied; the cuts of c.mp4 move to "
               "the nearest keyframes, as a copy keeps whole groups of pictures. Cut them exactly."
            << 4;
        // A clip whose sound alone is encoded again costs the summary no encoding time.
        QTest::newRow("one's pictures, another's sound")
            << 3 << "Encoded 2: b<i>.mp4" + why + "\nSound encoded 3: c.mp4" + why
            << QList<int>{1, 2}
            << "All 3 videos can be joined: b<i>.mp4 is re-encoded to match the others (Remove "
               "them), the rest are copied; the sound of c.mp4 is re-encoded to match the others'"
            << 1;
    }
    void aCopyThatEncodesClipsAgainSaysWhich()
    {
        QFETCH(int, clips);
        QFETCH(QByteArray, answer);
        QFETCH(QList<int>, encoded);
        QFETCH(QString, line);
        QFETCH(int, pictures);
        QDir().mkpath(programFile("Profiles"));
        writeFile(programFile("Profiles/copy.bpf"),
                  QByteArray("[Main]\nType=mp4\n[Video Codec]\nItems=1\nCaption0=C\nIndex=0\n"
                             "value0=copy\n") +
                      kNumbers);
        QVERIFY(QFile::copy(FAKE_PROGRAM_DIR "asapi.dll", programFile("asapi.dll")));
        QStringList inputs;
        for (const QString& name : QStringList{"a", "b<i>", "c", "d", "e", "f"}.first(clips)) {
            inputs << programFile(name + ".mp4");
            QVERIFY(QFile::copy(clipPath("clip.mp4"), inputs.last()));
        }
        qputenv("FAKE_ENCODER_CHECK", "accept " + answer);
        auto windows = start(inputs);
        TMainForm& main = windows->mainForm();
        child<QLineEdit>(main, "edtOutputFile")->setText(programFile("joined.mp4"));
        auto* shown = child<QLabel>(main, "labCopyOutlook");
        QTRY_COMPARE(QTextDocumentFragment::fromHtml(shown->text()).toPlainText(), line);
        TaskListModel& rows = main.taskList();
        QList<int> informed;
        for (int row = 0; row < rows.rowCount(); ++row)
            if (rows.index(row, TaskListModel::Status).data(TaskListModel::CopyNoteKindRole) ==
                int(TaskListModel::CopyNoteKind::Information))
                informed << row;
        QCOMPARE(informed, encoded);
        QCOMPARE(rows.index(encoded[0], 0).data(Qt::ToolTipRole).toString(),
                 "Re-encoded to match the others: " + QFileInfo(inputs[encoded[0]]).fileName() +
                     kEncodedBecause);
        QTRY_VERIFY(child<QLabel>(main, "labOutputSummary")
                        ->text()
                        .contains(QString("copied, %1 re-encoded").arg(pictures)));

        child<QAction>(main, "tbtnStart")->trigger();
        QTRY_COMPARE(m_doubles.messages.shown.size(), 1);
        QCOMPARE(m_doubles.messages.shown[0].caption, QString("Complete"));
        emit shown->linkActivated("remove");
        QCOMPARE(rows.rowCount(), clips - encoded.size());
        child<QAction>(main, "mnuUndo")->trigger();
        QCOMPARE(rows.rowCount(), clips);
    }

    // A screen reader or UI automation presses Start through the accessibility interface: the
    // press returns at once, and the job runs from the event loop afterwards.
    void startPressedThroughAccessibilityReturnsAtOnce()
    {
        makeProfiles({"a"});
        auto windows = start({clipPath("clip.avi")});
        TMainForm& main = windows->mainForm();
        QAction* start = child<QAction>(main, "tbtnStart");
        QVERIFY(start->isEnabled());
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(
            child<QToolBar>(main, "tbrMain")->widgetForAction(start));
        QVERIFY(button && button->actionInterface());
        button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(m_doubles.messages.shown.isEmpty());
        QTRY_COMPARE(m_doubles.messages.shown.size(), 1);
        QCOMPARE(m_doubles.messages.shown[0].caption, QString("Add More Videos"));
        QCOMPARE(main.job()->runState(), RunState::Idle);
    }
};

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
