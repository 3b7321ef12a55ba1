#include "tasks/ColumnWidths.h"

#include <QTest>

using Changes = std::array<int, 4>;
Q_DECLARE_METATYPE(Changes)

class TestColumnWidths : public QObject
{
    Q_OBJECT

private slots:
    void sharesOfAWidthChange_data()
    {
        QTest::addColumn<int>("delta");
        QTest::addColumn<Changes>("changes");
        QTest::newRow("wider by 100") << 100 << Changes{49, 17, 15, 19};
        QTest::newRow("narrower by 100") << -100 << Changes{-49, -17, -15, -19};
        QTest::newRow("halves to even") << 50 << Changes{24, 8, 8, 10};
        QTest::newRow("negative halves to even") << -50 << Changes{-24, -8, -8, -10};
        QTest::newRow("one pixel") << 1 << Changes{0, 0, 0, 0};
        QTest::newRow("two pixels") << 2 << Changes{1, 0, 0, 0};
        QTest::newRow("no change") << 0 << Changes{0, 0, 0, 0};
    }
    void sharesOfAWidthChange()
    {
        QFETCH(int, delta);
        QFETCH(Changes, changes);
        ColumnWidths widths;
        QCOMPARE(widths.resized(ColumnWidths::kStartReference + delta), changes);
        QCOMPARE(widths.reference(), ColumnWidths::kStartReference + delta);
    }

    void eachResizeIsMeasuredFromTheLastWidth()
    {
        ColumnWidths widths;
        widths.resized(800);
        QCOMPARE(widths.resized(900), (Changes{49, 17, 15, 19}));
        QCOMPARE(widths.resized(900), (Changes{0, 0, 0, 0}));
    }
};

QTEST_APPLESS_MAIN(TestColumnWidths)
#include "test_column_widths.moc"
