#include "tasks/Durations.h"

#include <QTest>

class TestDurations : public QObject
{
    Q_OBJECT

private slots:
    void formatDuration_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "00:00:00";
        QTest::newRow("59 s") << 59.0 << "00:00:59";
        QTest::newRow("one hour") << 3600.0 << "01:00:00";
        QTest::newRow("tenths") << 187.4 << "00:03:07.4";
        QTest::newRow("half tenth to even, down") << 3725.25 << "01:02:05.2";
        QTest::newRow("half tenth to even, up") << 0.75 << "00:00:00.8";
        QTest::newRow("fraction below half a tenth") << 5.04 << "00:00:05";
        QTest::newRow("hundred hours") << 360000.0 << "100:00:00";
        QTest::newRow("thousands of hours") << 3600.0 * 12345 + 61 << "12345:01:01";
        QTest::newRow("ten tenths carry into the seconds") << 59.96 << "00:01:00";
        QTest::newRow("carry into the hours") << 3599.97 << "01:00:00";
        QTest::newRow("probed 90000 ms") << 90.0 << "00:01:30";
        QTest::newRow("probed 2040 ms") << 2.04 << "00:00:02";
        QTest::newRow("probed 2046 ms") << 2.046 << "00:00:02";
        QTest::newRow("probed 1045 ms") << 1.045 << "00:00:01";
    }
    void formatDuration()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(FormatDuration(seconds), text);
    }

    void formatMilliseconds_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "00:00:00.000";
        QTest::newRow("leading zeros of the milliseconds") << qint64(62005) << "00:01:02.005";
        QTest::newRow("hours") << qint64(3600000 * 25 + 59999) << "25:00:59.999";
    }
    void formatMilliseconds()
    {
        QFETCH(qint64, ms);
        QFETCH(QString, text);
        QCOMPARE(FormatMilliseconds(ms), text);
    }

    void parseDuration_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds");
        QTest::newRow("tenths") << "00:03:07.4" << 187.4;
        QTest::newRow("single digits") << "1:2:3" << 3723.0;
        QTest::newRow("zero") << "00:00:00" << 0.0;
        QTest::newRow("hundred hours") << "100:00:00" << 360000.0;
        QTest::newRow("long fraction") << "00:00:01.25" << 1.25;
        QTest::newRow("trailing point") << "00:00:05." << 5.0;
        QTest::newRow("minutes over 59") << "0:75:00" << 4500.0;
        QTest::newRow("seconds beginning with the point") << "00:00:.5" << -1.0;
        QTest::newRow("one colon") << "12:30" << -1.0;
        QTest::newRow("empty") << "" << -1.0;
        QTest::newRow("letters in the hours") << "a:00:00" << -1.0;
        QTest::newRow("third colon") << "00:00:05:1" << -1.0;
        QTest::newRow("empty hours") << ":00:05" << -1.0;
        QTest::newRow("empty seconds") << "00:00:" << -1.0;
        QTest::newRow("fraction in the minutes") << "00:1.5:00" << -1.0;
        QTest::newRow("comma as decimal point") << "00:00:05,5" << -1.0;
        QTest::newRow("blank") << " 00:00:05" << -1.0;
        QTest::newRow("sign") << "-1:00:00" << -1.0;
        QTest::newRow("exponent") << "00:00:1e3" << -1.0;
        QTest::newRow("hours beyond 64 bits") << "99999999999999999999:00:00" << -1.0;
        QTest::newRow("frame size text") << "640x480" << -1.0;
    }
    void parseDuration()
    {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        QCOMPARE(ParseDuration(text), seconds);
    }

    void formattedTextsParseBackToTheirTenths()
    {
        for (const double seconds : {0.0, 0.1, 59.9, 187.4, 3725.3, 359999.9})
            QCOMPARE(ParseDuration(FormatDuration(seconds)), seconds);
    }
};

QTEST_APPLESS_MAIN(TestDurations)
#include "test_durations.moc"
