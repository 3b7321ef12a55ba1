#include "prefs/IniFile.h"
#include "profiles/OutputFileChoice.h"
#include "program/ProgramPlaces.h"
#include "support/Files.h"
#include "support/RecordingSeams.h"
#include "ui/TSettingForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

class TestSettingForm : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    RecordingSeams m_doubles;
    QWidget m_mainWindow;
    QLineEdit m_mainOutputFile;
    CurrentProfile m_profile;
    prefs::GeneralSettings m_settings; // the program's, which the dialog edits
    std::unique_ptr<TSettingForm> m_form;

    QString programDirectory() const { return m_dir.path() + "/"; }
    QString preferencesPath() const { return m_dir.filePath("Preferences.ini"); }

    void writePreferences(const QByteArray& content)
    {
        QFile file(preferencesPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    // Start-up: the dialog is created hidden once the program directory is known.
    void createForm(const QString& directory)
    {
        const ProgramPlaces places = portablePlaces(directory);
        m_settings = prefs::readMainSettings(places.preferencesPath, places.defaultTempDirectory);
        m_form = std::make_unique<TSettingForm>(
            m_doubles.seams(), places, m_profile, m_settings, &m_mainWindow,
            OutputFileBox{[this] { return m_mainOutputFile.text(); },
                          [this](const QString& text) { m_mainOutputFile.setText(text); }});
    }
    void createForm() { createForm(programDirectory()); }

    template <typename T> T* control(const char* name) const
    {
        T* widget = m_form->findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    void click(const char* button)
    {
        QTest::mouseClick(control<QAbstractButton>(button), Qt::LeftButton);
    }
    QString tempDir() const { return control<QLineEdit>("edtTempDir")->text(); }
    QString selectedOverwriteChoice() const
    {
        for (const char* name : {"rdbAsk", "rdbOverWrite", "rdbRename"})
            if (control<QRadioButton>(name)->isChecked())
                return name;
        return QString();
    }

private slots:
    void init()
    {
        QFile::remove(preferencesPath());
        m_doubles.messages.shown.clear();
        m_doubles.dialogs.titlesSeen.clear();
        m_doubles.dialogs.filtersSeen.clear();
        m_mainOutputFile.clear();
        m_mainWindow.setEnabled(true);
    }
    void cleanup() { m_form.reset(); }

    void withoutPreferencesTheFactoryFallbacksShow()
    {
        createForm();
        QCOMPARE(control<QLineEdit>("edtOutputFile")->text(), QString());
        QCOMPARE(tempDir(), programDirectory() + "temp/");
        QVERIFY(control<QCheckBox>("chkOpenDir")->isChecked());
        QVERIFY(!control<QCheckBox>("chkExit")->isChecked());
        QVERIFY(!control<QCheckBox>("chkTurnoff")->isChecked());
        QVERIFY(!control<QCheckBox>("chkOnePass")->isChecked());
        QVERIFY(control<QCheckBox>("chkKeepShape")->isChecked());
        QCOMPARE(control<QComboBox>("cmbFrameRate")->currentText(), QString("30"));
        QCOMPARE(selectedOverwriteChoice(), QString("rdbAsk"));
        QVERIFY(!m_form->isVisible());
        QCOMPARE(control<QCheckBox>("chkOpenDir")->text(),
                 QString("Open the output directory when the task is completed. "));
        QCOMPARE(control<QRadioButton>("rdbRename")->text(),
                 QString("Not overwrite (Rename to <Filename> + Index"));
        QCOMPARE(m_form->size(), QSize(391, 380));
        // The fixed size holds every control at its own size: none is clipped.
        const QSize needed = m_form->layout()->minimumSize();
        QVERIFY2(needed.width() <= m_form->width() && needed.height() <= m_form->height(),
                 qPrintable(QStringLiteral("%1x%2").arg(needed.width()).arg(needed.height())));
    }

    void storedOverwriteChoiceShowsAtMostOneSelection_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("selected");
        QTest::newRow("ask and overwrite")
            << QByteArray("Ask=1\nOverwrite=1\nRename=0\n") << "rdbOverWrite";
        QTest::newRow("all three false") << QByteArray("Ask=0\nOverwrite=0\nRename=0\n") << "";
    }
    void storedOverwriteChoiceShowsAtMostOneSelection()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, selected);
        writePreferences("[Main]\n" + stored);
        createForm();
        QCOMPARE(selectedOverwriteChoice(), selected);

        // The user can still pick one, and then only one.
        m_form->show();
        click("rdbOverWrite");
        click("rdbRename");
        QCOMPARE(selectedOverwriteChoice(), QString("rdbRename"));
        QVERIFY(!m_form->currentSettings().overwrite);
    }

    void showingTakesTheMainOutputFileAndLocksTheMainWindow()
    {
        writePreferences("[Main]\nOutput File=/saved/old.avi\n");
        createForm();
        m_mainOutputFile.setText("/videos/current.mp4");
        // The copy line's link turned on the exact cuts while the dialog was hidden; hiding it
        // again must not turn them off.
        m_settings.exactCutsInStream = true;
        m_form->show();
        QVERIFY(!m_mainWindow.isEnabled());
        QCOMPARE(control<QLineEdit>("edtOutputFile")->text(), QString("/videos/current.mp4"));
        QVERIFY(control<QCheckBox>("chkExactCuts")->isChecked());
    }

    void cancelBringsBackTheOldFolderAndLeavesTheFileAlone()
    {
        writePreferences("[Main]\nTemp Dir=/old/\n");
        const QByteArray before = fileContents(preferencesPath());
        createForm();
        m_form->show();
        m_doubles.dialogs.folderAnswers.enqueue("/new/place");
        click("btnBrowseTempDir");
        QCOMPARE(m_doubles.dialogs.titlesSeen, QStringList{"Select the output directory."});
        QCOMPARE(tempDir(), QString("/new/place/"));
        click("chkExit");

        click("btnCancel");
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_mainWindow.isEnabled());
        QCOMPARE(tempDir(), QString("/old/"));
        QVERIFY(!m_form->currentSettings().autoExit);
        // What the job reads is as before too.
        QCOMPARE(m_settings.tempDir, QString("/old/"));
        QVERIFY(!m_settings.autoExit);
        QCOMPARE(fileContents(preferencesPath()), before);
    }

    void closeBoxKeepsTheEditsWithoutSaving()
    {
        writePreferences("[Main]\nTemp Dir=/old/\n");
        const QByteArray before = fileContents(preferencesPath());
        createForm();
        m_form->show();
        m_doubles.dialogs.folderAnswers.enqueue("/new/place/");
        click("btnBrowseTempDir");

        m_form->close();
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_mainWindow.isEnabled());
        QCOMPARE(m_settings.tempDir, QString("/new/place/")); // what the job reads
        QCOMPARE(fileContents(preferencesPath()), before);
    }

    void escapeActsAsCancel()
    {
        createForm();
        m_form->show();
        control<QLineEdit>("edtTempDir")->setText("/typed/");
        QTest::keyClick(m_form.get(), Qt::Key_Escape);
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_mainWindow.isEnabled());
        QCOMPARE(tempDir(), programDirectory() + "temp/");
    }

    void loadDefaultAsksAndCancelUndoesIt()
    {
        writePreferences("[Main]\nOutput File=/mine.avi\nTemp Dir=/old/\nAuto Exit=1\n"
                         "[Default]\nOutput File=/factory.avi\nOverwrite=1\nOne Pass=1\n");
        const QByteArray before = fileContents(preferencesPath());
        createForm();
        m_mainOutputFile.setText("/mine.avi");
        m_form->show();
        const prefs::GeneralSettings shown = m_form->currentSettings();

        m_doubles.messages.answers.enqueue(false);
        click("btnDefault");
        QCOMPARE(m_doubles.messages.shown.size(), 1);
        QCOMPARE(m_doubles.messages.shown[0].kind, QString("ask"));
        QCOMPARE(m_doubles.messages.shown[0].caption, QString("Load Default"));
        QCOMPARE(m_doubles.messages.shown[0].text,
                 QString("Are you sure to load the default preferences?"));
        QCOMPARE(m_form->currentSettings(), shown);

        m_doubles.messages.answers.enqueue(true);
        click("btnDefault");
        prefs::GeneralSettings factory;
        factory.outputFile = "/factory.avi";
        factory.tempDir = "/old/";
        factory.autoOpenDir = false;
        factory.ask = false;
        factory.overwrite = true;
        factory.onePass = true;
        QCOMPARE(m_form->currentSettings(), factory);

        click("btnCancel");
        QCOMPARE(m_form->currentSettings(), shown);
        QCOMPARE(fileContents(preferencesPath()), before);
    }

    void browsingForTheOutputFileUsesTheOutputFilter()
    {
        createForm();
        m_form->show();
        m_doubles.dialogs.saveAnswers.enqueue("/videos/joined.mp4");
        click("btnBrowseOutputFile");
        QCOMPARE(control<QLineEdit>("edtOutputFile")->text(), QString("/videos/joined.mp4"));
        QCOMPARE(m_doubles.dialogs.filtersSeen, QStringList{outputFileFilter(".avi")});

        click("btnBrowseOutputFile"); // cancelled
        click("btnBrowseTempDir");    // cancelled
        QCOMPARE(control<QLineEdit>("edtOutputFile")->text(), QString("/videos/joined.mp4"));
        QCOMPARE(tempDir(), programDirectory() + "temp/");
    }

    void okStoresTheKeysAndTheMainOutputFile()
    {
        writePreferences("[Main]\nProfile=2\nVersion=2.0\n");
        createForm();
        m_form->show();
        control<QLineEdit>("edtOutputFile")->setText("/videos/out.avi");
        control<QLineEdit>("edtTempDir")->setText("/scratch/");
        click("chkOpenDir");
        click("chkTurnoff");
        click("rdbRename");
        click("chkOnePass");
        click("chkKeepShape");
        click("chkExactCuts");
        control<QComboBox>("cmbFrameRate")->setCurrentText("Same as the first video");

        click("btnOK");
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_mainWindow.isEnabled());
        QCOMPARE(m_mainOutputFile.text(), QString("/videos/out.avi"));
        const IniFile ini(preferencesPath());
        const QStringList keys{"Output File",   "Temp Dir",
                               "Auto Open Dir", "Auto Exit",
                               "Auto Turn Off", "Ask",
                               "Overwrite",     "Rename",
                               "One Pass",      "Profile",
                               "Version",       "Keep Shape",
                               "Frame Rate",    "Exact Cuts In Stream"};
        const QStringList values{
            "/videos/out.avi", "/scratch/", "0", "0", "1", "0", "0", "1", "1", "2", "2.0", "0",
            "First",           "1"};
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(ini.readString("Main", keys[i], "missing"), values[i]);
        QVERIFY(m_doubles.messages.shown.isEmpty());
        QCOMPARE(m_settings, m_form->currentSettings()); // what the job reads
    }

    void refusedWriteKeepsTheDialogOpen()
    {
        // A directory that is a regular file refuses every write, even to root.
        QFile blocker(m_dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString directory = blocker.fileName() + "/";
        createForm(directory);
        m_form->show();
        control<QLineEdit>("edtOutputFile")->setText("/videos/new.avi");

        click("btnOK");
        QCOMPARE(m_doubles.messages.shown.size(), 1);
        QCOMPARE(m_doubles.messages.shown[0].kind, QString("error"));
        QCOMPARE(m_doubles.messages.shown[0].text,
                 "Unable to write to " + directory + "Preferences.ini");
        QVERIFY(m_form->isVisible());
        QVERIFY(!m_mainWindow.isEnabled());
        QCOMPARE(m_mainOutputFile.text(), QString("/videos/new.avi"));
    }
};

QTEST_MAIN(TestSettingForm)
#include "test_setting_form.moc"
