#include "platform/FileFilter.h"

#include <QTest>

class TestFileFilter : public QObject
{
    Q_OBJECT

private slots:
    void windowsFiltersBecomeQtFilters()
    {
        QCOMPARE(
            qtNameFilters("AVI Files (*.avi)|*.avi|MPG Files (*.mpg)|*.mpg|All Files (*.*)|*.*"),
            (QStringList{"AVI Files (*.avi)", "MPG Files (*.mpg)", "All Files (*)"}));
        QCOMPARE(
            qtNameFilters("All Support Files(*.avi;*.mpg;)|*.avi;*.mpg;|AVI Files (*.avi)|*.avi"),
            (QStringList{"All Support Files (*.avi *.mpg)", "AVI Files (*.avi)"}));
        QCOMPARE(qtNameFilters("Videos|*.avi"), QStringList{"Videos (*.avi)"});
        QCOMPARE(qtNameFilters(""), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestFileFilter)
#include "test_file_filter.moc"
