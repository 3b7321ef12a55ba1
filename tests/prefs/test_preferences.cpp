#include "prefs/IniFile.h"
#include "prefs/Preferences.h"
#include "support/FileSizeLimit.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPreferences : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    void writeFile(const QByteArray& content)
    {
        QFile file(m_path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
    }

private slots:
    void init()
    {
        m_path = m_dir.filePath("Preferences.ini");
        QFile::remove(m_path);
    }

    void noFileGivesTheDocumentedDefaults()
    {
        const auto main = prefs::readMainSettings(m_path, "/home/u/.cache/vantomel/temp/");
        QCOMPARE(main.outputFile, QString());
        QCOMPARE(main.tempDir, QString("/home/u/.cache/vantomel/temp/"));
        QVERIFY(main.autoOpenDir);
        QVERIFY(!main.autoExit);
        QVERIFY(!main.autoTurnOff);
        QVERIFY(main.ask);
        QVERIFY(!main.overwrite);
        QVERIFY(!main.rename);
        QVERIFY(!main.onePass);
        QVERIFY(main.keepShape);
        QCOMPARE(main.frameRate, QString("30"));
        QCOMPARE(prefs::readVersion(m_path), QString("1.5"));
        QCOMPARE(prefs::readMainWindowChoice(m_path).profileIndex, 0);
        // The factory section differs in one fallback: the output folder is not opened.
        QVERIFY(!prefs::readDefaultSettings(m_path).autoOpenDir);
        QVERIFY(prefs::readDefaultSettings(m_path).ask);
        QVERIFY(!prefs::readDefaultSettings(m_path).onePass);
        QVERIFY(prefs::readDefaultSettings(m_path).keepShape);
        QCOMPARE(prefs::readDefaultSettings(m_path).frameRate, QString("30"));
    }

    // A rate the encoder would refuse, or none, keeps the rate of earlier versions.
    // A rate that is none the program offers takes the default, and the user is told.
    void frameRateReading_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<bool>("told");
        QTest::newRow("missing key") << QByteArray("Keep Shape=0\n") << "30" << false;
        QTest::newRow("whole") << QByteArray("Frame Rate=25\n") << "25" << false;
        QTest::newRow("NTSC") << QByteArray("Frame Rate= 29.97 \n") << "29.97" << false;
        QTest::newRow("highest offered") << QByteArray("Frame Rate=60\n") << "60" << false;
        QTest::newRow("first video") << QByteArray("Frame Rate=first\n") << "First" << false;
        QTest::newRow("no number") << QByteArray("Frame Rate=fast\n") << "30" << true;
        QTest::newRow("zero") << QByteArray("Frame Rate=0\n") << "30" << true;
        QTest::newRow("slower than offered") << QByteArray("Frame Rate=0.001\n") << "30" << true;
        QTest::newRow("faster than offered") << QByteArray("Frame Rate=9999.999\n") << "30" << true;
        QTest::newRow("empty") << QByteArray("Frame Rate=\n") << "30" << true;
    }
    void frameRateReading()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, rate);
        QFETCH(bool, told);
        writeFile("[Main]\n" + stored + "[Default]\n" + stored);
        QCOMPARE(prefs::readMainSettings(m_path, "/p/").frameRate, rate);
        QCOMPARE(!prefs::frameRateNotice(m_path).isEmpty(), told);
        QCOMPARE(prefs::readDefaultSettings(m_path).frameRate, rate);
    }

    void booleansReadAsIntegers()
    {
        writeFile("[MAIN]\nauto exit=yes\nAuto Turn Off=2\nOverwrite=0x1\nAsk=\nRename=1\n"
                  "[Default]\nAuto Open Dir=1\nOutput File=/d/out.avi\none pass=1\n");
        const auto main = prefs::readMainSettings(m_path, "/p/");
        QVERIFY(!main.autoExit);
        QVERIFY(main.autoTurnOff);
        QVERIFY(main.overwrite);
        QVERIFY(main.ask);
        QVERIFY(main.rename);
        const auto factory = prefs::readDefaultSettings(m_path);
        QVERIFY(factory.autoOpenDir);
        QCOMPARE(factory.outputFile, QString("/d/out.avi"));
        QVERIFY(factory.onePass);
    }

    void savingWritesTheTwelveKeys()
    {
        writeFile("[Main]\nVersion=2.0 beta\nProfile=3\n");
        prefs::GeneralSettings s;
        s.outputFile = "/out/film.mp4";
        s.tempDir = "/tmp/v/";
        s.autoOpenDir = false;
        s.autoExit = true;
        s.ask = false;
        s.rename = true;
        s.onePass = true;
        s.keepShape = false;
        s.exactCutsInStream = true;
        s.frameRate = "First";
        prefs::writeMainSettings(m_path, s);
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Main]\nVersion=2.0 beta\nProfile=3\n"
                                            "Output File=/out/film.mp4\nTemp Dir=/tmp/v/\n"
                                            "Auto Open Dir=0\nAuto Exit=1\nAuto Turn Off=0\n"
                                            "Ask=0\nOverwrite=0\nRename=1\nOne Pass=1\n"
                                            "Keep Shape=0\nExact Cuts In Stream=1\n"
                                            "Frame Rate=First\n"));
        QCOMPARE(prefs::readMainSettings(m_path, "/p/"), s);
    }

    // The keys of one save land together: a save the system refuses part-way through leaves
    // every key as it was, not the first ones new and the rest old.
    void refusedSaveLeavesEveryKeyAsItWas()
    {
        const QByteArray old("[Main]\nOutput File=/old/film.avi\nTemp Dir=/old/tmp/\n");
        writeFile(old);
        prefs::GeneralSettings s;
        s.outputFile = "/new/film.avi"; // as long as the old values: these two alone would fit
        s.tempDir = "/new/tmp/";
        QString message;
        try {
            const FileSizeLimit limit(old.size() + 20);
            prefs::writeMainSettings(m_path, s);
        } catch (const IniWriteError& e) {
            message = e.message();
        }
        QCOMPARE(message, "Unable to write to " + m_path);
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
    }

    void mainWindowChoiceRoundTrips()
    {
        prefs::writeMainWindowChoice(m_path, {-1, "/x/y.avi", "My own"});
        const prefs::MainWindowChoice stored = prefs::readMainWindowChoice(m_path);
        QCOMPARE(stored.profileIndex, -1);
        QCOMPARE(stored.outputFile, QString("/x/y.avi"));
        QCOMPARE(stored.profileName, QString("My own"));
        QCOMPARE(IniFile(m_path).readString("Main", "Profile", ""), QString("-1"));
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "test_preferences.moc"
