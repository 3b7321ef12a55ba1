#include "prefs/SettingsEditing.h"

#include <QTest>

Q_DECLARE_METATYPE(prefs::GeneralSettings)

class TestSettingsEditing : public QObject
{
    Q_OBJECT

    static prefs::GeneralSettings withChoice(bool ask, bool overwrite, bool rename)
    {
        prefs::GeneralSettings settings;
        settings.ask = ask;
        settings.overwrite = overwrite;
        settings.rename = rename;
        return settings;
    }

private slots:
    void lastSelectedOverwriteChoiceWins_data()
    {
        QTest::addColumn<prefs::GeneralSettings>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ask") << withChoice(true, false, false) << "ask";
        QTest::newRow("ask and overwrite") << withChoice(true, true, false) << "overwrite";
        QTest::newRow("ask and rename") << withChoice(true, false, true) << "rename";
        QTest::newRow("all three") << withChoice(true, true, true) << "rename";
        QTest::newRow("none") << withChoice(false, false, false) << "";
    }
    void lastSelectedOverwriteChoiceWins()
    {
        QFETCH(prefs::GeneralSettings, stored);
        QFETCH(QString, shown);
        const auto resolved = prefs::withOverwriteChoiceResolved(stored);
        QCOMPARE(resolved.ask, shown == "ask");
        QCOMPARE(resolved.overwrite, shown == "overwrite");
        QCOMPARE(resolved.rename, shown == "rename");
    }

    void chosenFolderEndsInOneSlash_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("text");
        QTest::newRow("folder") << "/home/u/tmp"
                                << "/home/u/tmp/";
        QTest::newRow("folder with slash") << "/home/u/tmp/"
                                           << "/home/u/tmp/";
        QTest::newRow("doubled slash") << "/home/u/tmp//"
                                       << "/home/u/tmp/";
        QTest::newRow("root") << "/"
                              << "/";
    }
    void chosenFolderEndsInOneSlash()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, text);
        QCOMPARE(prefs::tempFolderText(chosen), text);
    }
};

QTEST_GUILESS_MAIN(TestSettingsEditing)
#include "test_settings_editing.moc"
