#include "tasks/TaskListModel.h"

#include <QSignalSpy>
#include <QTest>

namespace {

ltvItemData item(const QString& path, const QString& length)
{
    ltvItemData data;
    data.path = path;
    data.cells[0] = length;
    data.cells[1] = QStringLiteral("320x240");
    data.cells[2] = QStringLiteral("OK");
    data.cells[3] = QStringLiteral("name");
    data.cells[5] = QStringLiteral("00:00:05");
    return data;
}

ltvItemData filled(const QString& text)
{
    ltvItemData data;
    data.path = text;
    data.cells.fill(text);
    data.time0 = data.time5 = data.time6 = data.time7 = data.time8 = data.time9 = 42;
    return data;
}

} // namespace

class TestTaskListModel : public QObject
{
    Q_OBJECT

private slots:
    void columnsShowPathLengthSizeAndStatus()
    {
        TaskListModel model;
        model.appendItem(item("/v/a.avi", "00:00:02"));
        QCOMPARE(model.columnCount(), 4);
        const QStringList captions{"Input File", "Length", "Size", "Status"};
        const QStringList shown{"/v/a.avi", "00:00:02", "320x240", "OK"};
        for (int column = 0; column < 4; ++column) {
            QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), captions[column]);
            QCOMPARE(model.index(0, column).data().toString(), shown[column]);
            QVERIFY(!(model.flags(model.index(0, column)) & Qt::ItemIsEditable));
        }
    }

    void readingTheWholeRowFillsEveryCellAndTime()
    {
        TaskListModel model;
        model.appendItem(item("/v/a.avi", "00:03:07.4"));
        ltvItemData data = filled("old");
        model.ReadItemData(0, -2, data);
        QCOMPARE(data.path, QString("/v/a.avi"));
        QCOMPARE(data.cells[0], QString("00:03:07.4"));
        QCOMPARE(data.cells[4], QString());
        QCOMPARE(data.cells[9], QString());
        QCOMPARE(data.time0, 187.4);
        QCOMPARE(data.time5, 5.0);
        QCOMPARE(data.time6, -1.0);
        QCOMPARE(data.time9, -1.0);
    }

    void readingOneSelectorLeavesTheRestOfTheRecord_data()
    {
        QTest::addColumn<int>("selector");
        QTest::newRow("path") << -1;
        QTest::newRow("length") << 0;
        QTest::newRow("size") << 1;
        QTest::newRow("cell 5") << 5;
        QTest::newRow("cell 9") << 9;
        QTest::newRow("cell 10 is nothing") << 10;
        QTest::newRow("-3 is nothing") << -3;
    }
    void readingOneSelectorLeavesTheRestOfTheRecord()
    {
        QFETCH(int, selector);
        TaskListModel model;
        model.appendItem(item("/v/a.avi", "00:00:02"));
        ltvItemData source;
        model.ReadItemData(0, -2, source);

        ltvItemData data = filled("old");
        model.ReadItemData(0, selector, data);
        QCOMPARE(data.path, selector == -1 ? source.path : QString("old"));
        for (int cell = 0; cell < 10; ++cell)
            QCOMPARE(data.cells[cell], cell == selector ? source.cells[cell] : QString("old"));
        QCOMPARE(data.time0, selector == 0 ? 2.0 : 42.0);
        QCOMPARE(data.time5, selector == 5 ? 5.0 : 42.0);
        QCOMPARE(data.time9, selector == 9 ? -1.0 : 42.0);
    }

    void writingOneSelectorChangesOnlyThatPart_data()
    {
        QTest::addColumn<int>("selector");
        QTest::newRow("whole row") << -2;
        QTest::newRow("path") << -1;
        QTest::newRow("status") << 2;
        QTest::newRow("cell 9") << 9;
        QTest::newRow("cell 10 is nothing") << 10;
    }
    void writingOneSelectorChangesOnlyThatPart()
    {
        QFETCH(int, selector);
        TaskListModel model;
        model.appendItem(filled("old"));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.WriteItemData(0, selector, filled("new"));

        ltvItemData data;
        model.ReadItemData(0, -2, data);
        QCOMPARE(data.path, selector <= -1 ? QString("new") : QString("old"));
        for (int cell = 0; cell < 10; ++cell) {
            const bool written = selector == -2 || selector == cell;
            QCOMPARE(data.cells[cell], written ? QString("new") : QString("old"));
        }
        QCOMPARE(changed.count(), selector == 10 ? 0 : 1);
    }

    void exchangingRowsSwapsTheirWholeContents()
    {
        TaskListModel model;
        model.appendItem(filled("a"));
        model.appendItem(filled("b"));
        model.exchangeItems(0, 1);
        ltvItemData top;
        ltvItemData bottom;
        model.ReadItemData(0, -2, top);
        model.ReadItemData(1, -2, bottom);
        QCOMPARE(top.path, QString("b"));
        QCOMPARE(top.cells[9], QString("b"));
        QCOMPARE(bottom.path, QString("a"));
        QCOMPARE(bottom.cells[9], QString("a"));
    }

    void findPathComparesLetterCase()
    {
        TaskListModel model;
        model.appendItem(filled("/v/a.avi"));
        model.appendItem(filled("/v/A.avi"));
        model.appendItem(filled("/v/a.avi"));
        QCOMPARE(model.findPath("/v/a.avi"), 0);
        QCOMPARE(model.findPath("/v/A.avi"), 1);
        QCOMPARE(model.findPath("/v/a.AVI"), -1);
    }
};

QTEST_APPLESS_MAIN(TestTaskListModel)
#include "test_task_list_model.moc"
