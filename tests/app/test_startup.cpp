#include "app/Startup.h"
#include "support/RecordingSeams.h"
#include "ui/TAboutForm.h"
#include "ui/TMainForm.h"
#include "ui/TSettingForm.h"
#include "ui/TopSettingForm.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir m_programDir;
    QString executable() const { return m_programDir.filePath("vantomel"); }
    void writePreferences(const QByteArray& content)
    {
        QFile file(m_programDir.filePath("Preferences.ini"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
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
        QCOMPARE(QApplication::applicationDisplayName(), QString("Vantomel"));
        QCOMPARE(windows.mainForm().programInfo().programDirectory, m_programDir.path() + "/");
        QVERIFY(doubles.messages.shown.isEmpty());
    }

    void versionIsReadFromThePreferences()
    {
        writePreferences("[main]\r\nversion = 2.0 beta\r\n");
        RecordingSeams doubles;
        Startup windows(doubles.seams(), executable());
        QCOMPARE(windows.mainForm().windowTitle(), QString("Vantomel V2.0 beta"));
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
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
