#include "cli/Console.h"

#include <QtTest>

// The progress line cuts the current file's name so that it never wraps on the terminal.
class TestConsole : public QObject
{
    Q_OBJECT

private slots:
    void middleElidedFitsTheWidth_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("shown");
        const QString phoneClip = QStringLiteral("PXL_20250711_183512345_LS.mp4");
        QTest::newRow("fits") << phoneClip << 29 << phoneClip;
        QTest::newRow("cut in its middle")
            << phoneClip << 12 << QStringLiteral("PXL_20\u2026S.mp4");
        QTest::newRow("no room either side") << phoneClip << 2 << QString();
    }

    void middleElidedFitsTheWidth()
    {
        QFETCH(QString, name);
        QFETCH(int, width);
        QFETCH(QString, shown);
        QCOMPARE(middleElided(name, width), shown);
    }
};

QTEST_APPLESS_MAIN(TestConsole)
#include "test_console.moc"
