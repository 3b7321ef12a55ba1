#include "app/Startup.h"
#include "support/Files.h"
#include "support/NamedPipe.h"
#include "support/RecordingSeams.h"
#include "ui/TAboutForm.h"
#include "ui/TMainForm.h"
#include "ui/TSettingForm.h"
#include "ui/TopSettingForm.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir m_programDir;
    QString executable() const { return m_programDir.filePath("vantomel"); }
    static void write(const QString& path, const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    void writePreferences(const QByteArray& content)
    {
        write(m_programDir.filePath("Preferences.ini"), content);
    }

private slots:
    void init() { QFile::remove(m_programDir.filePath("Preferences.ini")); }

    void withoutPreferencesTheCaptionIsV15()
    {
        RecordingSeams doubles;
        Startup windows(doubles.seams(), executable());
        QCOMPARE(windows.mainForm().windowTitle(), QString("Vantomel V1.5"));
        QCOMPARE(windows.mainForm().findChild<QLabel*>("labProgramName")->text(),
                 QString("Vantomel"));
        QCOMPARE(windows.mainForm().places().programDirectory, m_programDir.path() + "/");
        QVERIFY(!windows.mainForm().places().perUser);
        QVERIFY(doubles.messages.shown.isEmpty());
    }

    void versionIsReadFromThePreferences()
    {
        writePreferences("[main]\r\nversion = 2.0 beta\r\n");
        RecordingSeams doubles;
        Startup windows(doubles.seams(), executable());
        QCOMPARE(windows.mainForm().windowTitle(), QString("Vantomel V2.0 beta"));
    }

    // A named pipe would block the start for good. The program starts with its defaults, tells
    // once which file it did not read and why, and never writes over it; the closing's refused
    // save is reported as a failure, not hidden.
    void preferencesThatAreNotAFileAreToldOnceAndKept()
    {
        const QString path = m_programDir.filePath("Preferences.ini");
        const NamedPipe pipe(path, std::chrono::seconds(5));
        QVERIFY(pipe.isValid());
        RecordingSeams doubles;
        {
            Startup windows(doubles.seams(), executable());
            TMainForm& main = windows.mainForm();
            main.show();
            QTRY_COMPARE_WITH_TIMEOUT(doubles.messages.shown.size(), 1, 5000);
            QCOMPARE(main.windowTitle(), QString("Vantomel V1.5"));
            QCOMPARE(windows.settingForm().currentSettings().tempDir,
                     m_programDir.path() + "/temp/");
            windows.settingForm().show();
            windows.settingForm().close();
            main.close();
            QTest::qWait(50);
        }
        QCOMPARE(doubles.messages.shown.size(), 2);
        const RecordedMessage told = doubles.messages.shown.first();
        QCOMPARE(told.kind, QString("info"));
        QCOMPARE(told.caption, QString("Preferences Not Read"));
        QCOMPARE(told.text, "Preferences.ini was not read: it is a named pipe, not a regular "
                            "file.\n" +
                                path +
                                "\n\nVantomel starts with its default settings, and does not "
                                "save settings into that file.");
        QCOMPARE(doubles.messages.shown.last().kind, QString("error"));
        QCOMPARE(doubles.messages.shown.last().text, "Unable to write to " + path);
        QVERIFY(!pipe.readerWaited());
        QVERIFY(pipe.isStillAPipe());
    }

    void dialogsAreCreatedHiddenAndOutliveClosing()
    {
        RecordingSeams doubles;
        Startup windows(doubles.seams(), executable());
        QDialog* dialogs[] = {&windows.aboutForm(), &windows.opSettingForm(),
                              &windows.settingForm()};
        for (QDialog* dialog : dialogs) {
            QVERIFY(!dialog->isVisible());
            QPointer<QDialog> alive(dialog);
            dialog->show();
            dialog->close();
            QCoreApplication::processEvents();
            QVERIFY(alive);
            QVERIFY(!dialog->isVisible());
        }
        QCOMPARE(windows.aboutForm().windowTitle(), QString("About"));
        QCOMPARE(windows.opSettingForm().windowTitle(), QString("Output Settings"));
        QCOMPARE(windows.settingForm().windowTitle(), QString("Settings"));
    }

    // While a dialog is up it blocks the main window, which Qt keeps the window manager from
    // closing (tests/desktop checks that on a real desktop); a job that ends the program still
    // closes it, and the open dialog does not keep the program running.
    void anOpenDialogHoldsTheMainWindowUntilTheProgramEnds_data()
    {
        QTest::addColumn<int>("dialog");
        QTest::newRow("About") << 0;
        QTest::newRow("Output Settings") << 1;
        QTest::newRow("General Settings") << 2;
    }
    void anOpenDialogHoldsTheMainWindowUntilTheProgramEnds()
    {
        QFETCH(int, dialog);
        RecordingSeams doubles;
        Startup windows(doubles.seams(), executable());
        TMainForm& main = windows.mainForm();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QDialog* shown[] = {&windows.aboutForm(), &windows.opSettingForm(), &windows.settingForm()};
        shown[dialog]->show();
        QCOMPARE(shown[dialog]->parentWidget(), &main);
        QCOMPARE(QApplication::activeModalWidget(), shown[dialog]);
        QVERIFY(shown[dialog]->isEnabled());
        QVERIFY(!main.isEnabled());

        main.closeForJob();
        QVERIFY(!main.isVisible());
        // The program ends when no window without an owner is left on screen.
        for (const QWindow* window : QGuiApplication::topLevelWindows())
            QVERIFY(!window->isVisible() || window->transientParent());
    }

    void aProgramThatCannotWriteItsDirectoryKeepsPreferencesPerUser()
    {
        QTemporaryDir home;
        write(m_programDir.filePath("Profiles/delivered.bpf"), "[Main]\nType=mp4\n");
        write(home.filePath("config/vantomel/Profiles/mine.BPF"), "[Main]\nType=wmv\n");
        writePreferences("[Main]\nVersion=1.6\nProfile=1\n");
        const QByteArray delivered = fileContents(m_programDir.filePath("Preferences.ini"));
        const ProgramPlaces places =
            perUserPlaces(m_programDir.path() + "/",
                          {home.filePath("config/vantomel/"), home.filePath("cache/vantomel/")});
        prepareProgramPlaces(places);

        RecordingSeams doubles;
        {
            Startup windows(doubles.seams(), ProgramSetup{places, InitProgramInfo("1.6")});
            TMainForm& main = windows.mainForm();
            main.show();
            auto* profiles = main.findChild<QComboBox*>("cmbProfile");
            QCOMPARE(profiles->count(), 2);
            // The delivered copy chose the second profile: the user's own, read from its file.
            QCOMPARE(profiles->currentText(), QString("mine"));
            QCOMPARE(windows.currentProfile().outputExtension(), QString(".wmv"));
            QCOMPARE(windows.settingForm().currentSettings().tempDir,
                     home.filePath("cache/vantomel/temp/"));
            main.findChild<QLineEdit*>("edtOutputFile")->setText("/films/out.wmv");
            main.close();
        }
        QVERIFY(doubles.messages.shown.isEmpty());
        QVERIFY(fileContents(places.preferencesPath).contains("Output File=/films/out.wmv\n"));
        QCOMPARE(fileContents(m_programDir.filePath("Preferences.ini")), delivered);
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
