#include "platform/DialogFilters.h"
#include "platform/FileFilter.h"

#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestDialogFilters)
#include "test_dialog_filters.moc"
