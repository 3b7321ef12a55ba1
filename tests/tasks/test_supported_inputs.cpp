#include "tasks/SupportedInputs.h"

#include <QTest>

class TestSupportedInputs : public QObject
{
    Q_OBJECT

private slots:
    void maskListsEveryExtensionWithATrailingSemicolon()
    {
        QCOMPARE(
            supportedFileMask(supportedExtensions()),
            QString("*.avi;*.mpg;*.mpeg;*.mp4;*.wmv;*.mov;*.vob;*.asf;*.mkv;*.webm;*.flv;*.m4v;"
                    "*.3gp;*.ts;*.mts;*.m2ts;"));
    }

    void hasListedExt_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("supported");
        QTest::newRow("avi") << "/v/a.avi" << true;
        QTest::newRow("upper case") << "/v/MOVIE.AVI" << true;
        QTest::newRow("mpeg") << "/v/a.mpeg" << true;
        QTest::newRow("flv") << "/v/a.flv" << true;
        QTest::newRow("camera's MTS in capitals") << "/v/00001.MTS" << true;
        QTest::newRow("m2ts") << "/v/00001.m2ts" << true;
        QTest::newRow("m4a is sound only") << "/v/a.m4a" << false;
        QTest::newRow("text") << "/v/b.txt" << false;
        QTest::newRow("last dot counts") << "/v/a.avi.txt" << false;
        QTest::newRow("several dots") << "/v/a.b.c.wmv" << true;
        QTest::newRow("no dot") << "/v/avi" << false;
        QTest::newRow("dot in the folder only") << "/v.avi/readme" << false;
        QTest::newRow("trailing dot") << "/v/a." << false;
        QTest::newRow("hidden name is its extension") << "/v/.avi" << true;
        QTest::newRow("empty") << "" << false;
    }
    void hasListedExt()
    {
        QFETCH(QString, path);
        QFETCH(bool, supported);
        QCOMPARE(HasListedExt(path, supportedExtensions()), supported);
    }
};

QTEST_APPLESS_MAIN(TestSupportedInputs)
#include "test_supported_inputs.moc"
