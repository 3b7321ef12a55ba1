#include "platform/DialogFilters.h"
#include "platform/DialogFolders.h"
#include "platform/FileFilter.h"
#include "profiles/OutputFileChoice.h"
#include "tasks/SupportedInputs.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

class TestDialogFilters : public QObject
{
    Q_OBJECT

private slots:
    void inputDialogFilterOffersSupportedFilesFirstAndAllFilesLast()
    {
        QCOMPARE(
            inputFileFilter(),
            QString("All Support Files(*.avi;*.mpg;*.mpeg;*.mp4;*.wmv;*.mov;*.vob;*.asf;*.mkv;"
                    "*.webm;*.flv;*.m4v;*.3gp;*.ts;*.mts;*.m2ts;)|"
                    "*.avi;*.mpg;*.mpeg;*.mp4;*.wmv;*.mov;*.vob;*.asf;*.mkv;*.webm;*.flv;*.m4v;"
                    "*.3gp;*.ts;*.mts;*.m2ts;|AVI Files (*.avi)|*.avi|"
                    "MPG Files (*.mpg)|*.mpg|MPEG Files (*.mpeg)|*.mpeg|MP4 Files (*.mp4)|*.mp4|"
                    "WMV Files (*.wmv)|*.wmv|MOV Files (*.mov)|*.mov|VOB Files (*.vob)|*.vob|"
                    "ASF Files (*.asf)|*.asf|MKV Files (*.mkv)|*.mkv|WEBM Files (*.webm)|*.webm|"
                    "FLV Files (*.flv)|*.flv|M4V Files (*.m4v)|*.m4v|3GP Files (*.3gp)|*.3gp|"
                    "TS Files (*.ts)|*.ts|MTS Files (*.mts)|*.mts|M2TS Files (*.m2ts)|*.m2ts|"
                    "All Files (*.*)|*.*"));
    }

    void outputFilterListsEveryOutputTypeThenAllFiles()
    {
        QCOMPARE(outputFileFilter(".avi"),
                 QString("AVI Files (*.avi)|*.avi|MPG Files (*.mpg)|*.mpg|MP4 Files (*.mp4)|*.mp4|"
                         "WMV Files (*.wmv)|*.wmv|MOV Files (*.mov)|*.mov|VOB Files (*.vob)|*.vob|"
                         "ASF Files (*.asf)|*.asf|FLV Files (*.flv)|*.flv|MKV Files (*.mkv)|*.mkv|"
                         "All Files (*.*)|*.*"));
        QCOMPARE(qtNameFilters(outputFileFilter(".avi")).size(), 10);
    }

    void pairsFollowTheListOrder()
    {
        QCOMPARE(filterPairs({".mpeg", ".avi"}),
                 QString("MPEG Files (*.mpeg)|*.mpeg|AVI Files (*.avi)|*.avi|"));
        QCOMPARE(filterPairs({}), QString());
    }

    // The dialogs open where the last choice was: a chosen file's folder or a chosen folder,
    // while it still exists; at home otherwise.
    void theDialogsOpenWhereTheLastChoiceWas_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<bool>("chosePaths");
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QString>("startsIn");
        QTest::newRow("a chosen file's folder")
            << QStringList{"{tmp}/a b.avi"} << true << true << "{tmp}";
        QTest::newRow("a chosen folder") << QStringList{"{tmp}"} << false << true << "{tmp}";
        QTest::newRow("a folder gone since")
            << QStringList{"{tmp}/a.avi"} << true << false << QDir::homePath();
        QTest::newRow("cancelled") << QStringList{} << true << true << QDir::homePath();
    }
    void theDialogsOpenWhereTheLastChoiceWas()
    {
        QFETCH(QStringList, chosen);
        QFETCH(bool, chosePaths);
        QFETCH(bool, folderExists);
        QFETCH(QString, startsIn);
        QTemporaryDir work;
        const QString folder = work.filePath("videos");
        if (folderExists)
            QVERIFY(QDir().mkdir(folder));
        chosen.replaceInStrings("{tmp}", folder);
        startsIn.replace("{tmp}", folder);
        const QString ini = work.filePath("Preferences.ini");
        storeLastFolder(ini, folderToRemember(chosen, chosePaths));
        QCOMPARE(dialogStartFolder(readLastFolder(ini)), startsIn);
    }

    // A preferences file that is no regular file is never written, and the dialog goes on.
    void aPreferencesFileNotReadKeepsItsFolder()
    {
        QTemporaryDir work;
        const QString fifo = work.filePath("Preferences.ini");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        storeLastFolder(fifo, work.path());
        QVERIFY(QFileInfo(fifo).isFile() == false);
        QCOMPARE(readLastFolder(fifo), QString());
    }
};

QTEST_GUILESS_MAIN(TestDialogFilters)
#include "test_dialog_filters.moc"
