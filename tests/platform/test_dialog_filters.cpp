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
            QString("All Support Files(*.avi;*.mpg;*.mpeg;*.mp4;*.wmv;*.mov;*.vob;*.asf;)|"
                    "*.avi;*.mpg;*.mpeg;*.mp4;*.wmv;*.mov;*.vob;*.asf;|AVI Files (*.avi)|*.avi|"
                    "MPG Files (*.mpg)|*.mpg|MPEG Files (*.mpeg)|*.mpeg|MP4 Files (*.mp4)|*.mp4|"
                    "WMV Files (*.wmv)|*.wmv|MOV Files (*.mov)|*.mov|VOB Files (*.vob)|*.vob|"
                    "ASF Files (*.asf)|*.asf|All Files (*.*)|*.*"));
    }

    void outputFilterListsEveryOutputTypeThenAllFiles()
    {
        QCOMPARE(outputFileFilter(".avi"),
                 QString("AVI Files (*.avi)|*.avi|MPG Files (*.mpg)|*.mpg|MP4 Files (*.mp4)|*.mp4|"
                         "WMV Files (*.wmv)|*.wmv|MOV Files (*.mov)|*.mov|VOB Files (*.vob)|*.vob|"
                         "ASF Files (*.asf)|*.asf|FLV Files (*.flv)|*.flv|All Files (*.*)|*.*"));
        QCOMPARE(qtNameFilters(outputFileFilter(".avi")).size(), 9);
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
