#include "paths/PathText.h"
#include "program/ProgramInfo.h"

#include <QTest>

class TestProgramInfo : public QObject
{
    Q_OBJECT

private slots:
    void programDirectory_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("directory");
        QTest::newRow("nested") << "/opt/tools/join/vantomel"
                                << "/opt/tools/join/";
        QTest::newRow("root") << "/vantomel"
                              << "/";
        QTest::newRow("blank and umlaut") << "/home/jö rg/bin/vantomel"
                                          << "/home/jö rg/bin/";
    }
    void programDirectory()
    {
        QFETCH(QString, executable);
        QFETCH(QString, directory);
        QCOMPARE(programDirectoryOf(executable), directory);
    }

    void captionUsesTheVersionVerbatim()
    {
        QCOMPARE(InitProgramInfo("1.5").caption(), QString("Vantomel V1.5"));
        QCOMPARE(InitProgramInfo("2.0 beta").caption(), QString("Vantomel V2.0 beta"));
        QCOMPARE(InitProgramInfo("").caption(), QString("Vantomel V"));
    }

    void trailingSlash()
    {
        QCOMPARE(withTrailingSlash("/tmp"), QString("/tmp/"));
        QCOMPARE(withTrailingSlash("/tmp/"), QString("/tmp/"));
        QCOMPARE(withTrailingSlash("/"), QString("/"));
    }
};

QTEST_GUILESS_MAIN(TestProgramInfo)
#include "test_program_info.moc"
