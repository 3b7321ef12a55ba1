// Renders the windows to PNG files under the build directory (screenshots/), for the README and
// for looking at what a user sees.
#include "app/Startup.h"
#include "support/Clips.h"
#include "support/RecordingSeams.h"
#include "ui/TAboutForm.h"
#include "ui/TMainForm.h"
#include "ui/TSettingForm.h"
#include "ui/TopSettingForm.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class Screenshots : public QObject
{
    Q_OBJECT

    QTemporaryDir m_programDir;
    QString m_outputDir;

    void save(QWidget& window, const QString& name)
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString file = m_outputDir + name + ".png";
        QVERIFY(window.grab().save(file));
        QVERIFY(QFileInfo(file).size() > 1000);
    }

private slots:
    void initTestCase()
    {
        m_outputDir = QString::fromLocal8Bit(qgetenv("VANTOMEL_SCREENSHOTS")) + "/";
        QDir().mkpath(m_outputDir);
        QDir().mkpath(m_programDir.filePath("Profiles"));
        const QDir shipped(programDirectory() + "Profiles");
        for (const QString& name : shipped.entryList({"*.bpf"}, QDir::Files))
            QFile::copy(shipped.filePath(name), m_programDir.filePath("Profiles/" + name));
    }

    void windows()
    {
        RecordingSeams doubles;
        const QString executable = m_programDir.filePath("vantomel");
        {
            Startup empty(doubles.seams(), executable);
            save(empty.mainForm(), "main-window");
        }
        Startup windows(doubles.seams(), executable,
                        {clipPath("clip.mp4"), clipPath("clip.avi"), clipPath("clip.wmv"),
                         clipPath("clip.mov")});
        save(windows.mainForm(), "main-window-with-rows");
        // The bottom strip as a running job shows it.
        windows.mainForm().findChild<QWidget*>("panBottomCenter")->hide();
        windows.mainForm().findChild<QWidget*>("panBottomLeft")->show();
        save(windows.mainForm(), "main-window-progress");
        windows.mainForm().findChild<QWidget*>("panBottomLeft")->hide();
        windows.mainForm().findChild<QWidget*>("panBottomCenter")->show();
        save(windows.opSettingForm(), "output-settings");
        windows.opSettingForm().hide();
        save(windows.settingForm(), "general-settings");
        windows.settingForm().hide();
        save(windows.aboutForm(), "about");
    }
};

QTEST_MAIN(Screenshots)
#include "screenshots.moc"
