#include "app/Startup.h"
#include "support/RecordingSeams.h"
#include "ui/TAboutForm.h"
#include "ui/TMainForm.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestAboutForm : public QObject
{
    Q_OBJECT

    QTemporaryDir m_programDir;
    RecordingSeams m_doubles;
    std::unique_ptr<Startup> m_windows;

    QString preferencesPath() const { return m_programDir.filePath("Preferences.ini"); }
    void start()
    {
        m_windows = std::make_unique<Startup>(m_doubles.seams(), m_programDir.filePath("vantomel"));
    }
    TAboutForm& about() const { return m_windows->aboutForm(); }
    const ProgramInfo& info() const { return m_windows->mainForm().programInfo(); }
    QString text(const char* control) const
    {
        if (auto* label = about().findChild<QLabel*>(control))
            return label->text();
        return about().findChild<QPushButton*>(control)->text();
    }

private slots:
    void init()
    {
        QFile::remove(preferencesPath());
        m_doubles.shell.opened.clear();
    }
    void cleanup() { m_windows.reset(); }

    void textsComeFromTheProgramIdentity_data()
    {
        QTest::addColumn<QByteArray>("preferences");
        QTest::addColumn<QString>("versionLine");
        QTest::newRow("no preferences file") << QByteArray() << "Version 1.5";
        QTest::newRow("stored version")
            << QByteArray("[Main]\nVersion=2.0 beta\n") << "Version 2.0 beta";
    }
    void textsComeFromTheProgramIdentity()
    {
        QFETCH(QByteArray, preferences);
        QFETCH(QString, versionLine);
        if (!preferences.isEmpty()) {
            QFile file(preferencesPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(preferences);
        }
        start();
        QCOMPARE(text("labVersion"), versionLine);
        QCOMPARE(text("labProgramName"), QString("Vantomel"));
        QCOMPARE(text("labCopyright"), "Copyright (C) " + info().companyName);
        QCOMPARE(text("labVisitWebsite"), QString("Visit our website"));
        QCOMPARE(text("labWebsite"), info().webPage);
        QCOMPARE(text("labMore"), QString("(More)"));
        QCOMPARE(text("labBuiltOn1"), info().projectsBuiltOn[0].name);
        QCOMPARE(text("labBuiltOn2"), info().projectsBuiltOn[1].name);
        QCOMPARE(text("labBuiltOn3"), info().projectsBuiltOn[2].name);
        QCOMPARE(text("btnTech"), QString("Tech Support"));
        QCOMPARE(text("btnSales"), QString("Sales Support"));
        QCOMPARE(text("btnOK"), QString("&OK"));
        QCOMPARE(about().windowTitle(), QString("About"));
        QCOMPARE(about().size(), QSize(503, 290));
        QVERIFY(!about().isVisible());
    }

    void linksOpenThroughTheShell_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("opened");
        start();
        QTest::newRow("web address") << "labWebsite" << info().webPage;
        QTest::newRow("more") << "labMore" << info().webPage;
        QTest::newRow("tech support") << "btnTech"
                                      << "mailto:" + info().supportEmail;
        QTest::newRow("sales support") << "btnSales"
                                       << "mailto:" + info().salesEmail;
        QTest::newRow("first project") << "labBuiltOn1" << info().projectsBuiltOn[0].page;
        QTest::newRow("second project") << "labBuiltOn2" << info().projectsBuiltOn[1].page;
        QTest::newRow("third project") << "labBuiltOn3" << info().projectsBuiltOn[2].page;
        m_windows.reset();
    }
    void linksOpenThroughTheShell()
    {
        QFETCH(QString, control);
        QFETCH(QString, opened);
        start();
        about().show();
        QTest::mouseClick(about().findChild<QWidget*>(control), Qt::LeftButton);
        QCOMPARE(m_doubles.shell.opened, QStringList{opened});
        QVERIFY(about().isVisible());
    }

    void everyWayOfClosingEnablesTheMainWindow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK") << "OK";
        QTest::newRow("close box") << "close box";
        QTest::newRow("Escape") << "Escape";
    }
    void everyWayOfClosingEnablesTheMainWindow()
    {
        QFETCH(QString, how);
        start();
        about().show();
        QVERIFY(!m_windows->mainForm().isEnabled());
        if (how == "OK")
            QTest::mouseClick(about().findChild<QPushButton*>("btnOK"), Qt::LeftButton);
        else if (how == "close box")
            about().close();
        else
            QTest::keyClick(&about(), Qt::Key_Escape);
        QVERIFY(!about().isVisible());
        QVERIFY(m_windows->mainForm().isEnabled());

        // Shown again, it is the same box with the same texts.
        about().show();
        QVERIFY(!m_windows->mainForm().isEnabled());
        QCOMPARE(text("labVersion"), QString("Version 1.5"));
    }
};

QTEST_MAIN(TestAboutForm)
#include "test_about_form.moc"
