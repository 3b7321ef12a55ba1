#include "program/ProgramPlaces.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestProgramPlaces : public QObject
{
    Q_OBJECT

    static void write(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

private slots:
    void placesOfEachKind_data()
    {
        QTest::addColumn<bool>("perUser");
        QTest::addColumn<QString>("preferences");
        QTest::addColumn<QString>("temp");
        QTest::addColumn<QStringList>("profiles");
        QTest::newRow("portable") << false << "/opt/v/Preferences.ini"
                                  << "/opt/v/temp/" << QStringList{"/opt/v/Profiles/"};
        QTest::newRow("per user") << true << "/home/u/.config/vantomel/Preferences.ini"
                                  << "/home/u/.cache/vantomel/temp/"
                                  << QStringList{"/opt/v/Profiles/",
                                                 "/home/u/.config/vantomel/Profiles/"};
    }
    void placesOfEachKind()
    {
        QFETCH(bool, perUser);
        QFETCH(QString, preferences);
        QFETCH(QString, temp);
        QFETCH(QStringList, profiles);
        const UserFolders user{"/home/u/.config/vantomel/", "/home/u/.cache/vantomel/"};
        const ProgramPlaces places =
            perUser ? perUserPlaces("/opt/v/", user) : portablePlaces("/opt/v/");
        QCOMPARE(places.perUser, perUser);
        QCOMPARE(places.preferencesPath, preferences);
        QCOMPARE(places.defaultTempDirectory, temp);
        QCOMPARE(places.profileDirectories, profiles);
        // The program and what is delivered with it stay in the program directory.
        QCOMPARE(places.encoderPath(), QString("/opt/v/asapi.dll"));
        QCOMPARE(places.helpFilePath(), QString("/opt/v/help/index.html"));
        QCOMPARE(places.deliveredPreferencesPath(), QString("/opt/v/Preferences.ini"));
    }

    void userFoldersFollowTheXdgVariables()
    {
        qputenv("XDG_CONFIG_HOME", "/xdg/config");
        qputenv("XDG_CACHE_HOME", "/xdg/cache");
        const UserFolders user = UserFolders::fromEnvironment();
        QCOMPARE(user.config, QString("/xdg/config/vantomel/"));
        QCOMPARE(user.cache, QString("/xdg/cache/vantomel/"));
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_CACHE_HOME");
        QCOMPARE(UserFolders::fromEnvironment().config, QDir::homePath() + "/.config/vantomel/");
    }

    void aWritableProgramDirectoryIsPortable()
    {
        QTemporaryDir program;
        const ProgramPlaces places = decideProgramPlaces(program.path() + "/", {"/c/", "/k/"});
        QVERIFY(!places.perUser);
        QCOMPARE(places.preferencesPath, program.filePath("Preferences.ini"));
    }

    void aNewUserStartsFromTheDeliveredPreferences()
    {
        QTemporaryDir program;
        QTemporaryDir home;
        const QString delivered = program.filePath("Preferences.ini");
        write(delivered, "[Main]\nVersion=1.5\nProfile=4\n");
        QFile::setPermissions(delivered, QFileDevice::ReadOwner | QFileDevice::ReadOther);
        const ProgramPlaces places = perUserPlaces(
            program.path() + "/", {home.filePath("config/vantomel/"), home.filePath("cache/v/")});

        prepareProgramPlaces(places);
        QCOMPARE(fileContents(places.preferencesPath),
                 QByteArray("[Main]\nVersion=1.5\nProfile=4\n"));
        QVERIFY(QFile::permissions(places.preferencesPath) & QFileDevice::WriteOwner);
        QVERIFY(QFileInfo(places.defaultTempDirectory).isDir());
        QVERIFY(QFileInfo(places.profileDirectories.last()).isDir());

        // Once the user has preferences of their own, they are kept.
        write(places.preferencesPath, "[Main]\nProfile=1\n");
        prepareProgramPlaces(places);
        QCOMPARE(fileContents(places.preferencesPath), QByteArray("[Main]\nProfile=1\n"));
    }

    void portablePlacesNeedNothingMade()
    {
        QTemporaryDir program;
        write(program.filePath("Preferences.ini"), "[Main]\n");
        prepareProgramPlaces(portablePlaces(program.path() + "/"));
        QCOMPARE(QDir(program.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"Preferences.ini"});
    }
};

QTEST_GUILESS_MAIN(TestProgramPlaces)
#include "test_program_places.moc"
