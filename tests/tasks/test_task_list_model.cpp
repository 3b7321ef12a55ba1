#include "tasks/TaskListModel.h"

#include <QSignalSpy>
#include <QTest>

namespace {

TaskRow item(const QString& path, const QString& length)
{
    return TaskRow{path, length, QStringLiteral("320x240"), TaskStatus::Ok, QStringLiteral("name")};
}

TaskRow filled(const QString& text)
{
    return TaskRow{text, text, text, TaskStatus::Ok, text};
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

    void readingARowGivesItsFieldsAndLengthInSeconds()
    {
        TaskListModel model;
        model.appendItem(item("/v/a.avi", "00:03:07.4"));
        model.appendItem(item("/v/b.avi", "not a length"));
        const TaskRow row = model.ReadItemData(0);
        QCOMPARE(row.path, QString("/v/a.avi"));
        QCOMPARE(row.length, QString("00:03:07.4"));
        QCOMPARE(row.lengthSeconds(), 187.4);
        QCOMPARE(model.ReadItemData(1).lengthSeconds(), -1.0);
    }

    void settingTheStatusChangesOnlyTheStatus()
    {
        TaskListModel model;
        model.appendItem(filled("old"));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setStatus(0, TaskStatus::Joining);

        const TaskRow row = model.ReadItemData(0);
        QCOMPARE(row.path, QString("old"));
        QCOMPARE(row.length, QString("old"));
        QCOMPARE(row.frameSize, QString("old"));
        QCOMPARE(row.name, QString("old"));
        QCOMPARE(row.status, TaskStatus::Joining);
        QCOMPARE(changed.count(), 1);
    }

    void exchangingRowsSwapsTheirWholeContents()
    {
        TaskListModel model;
        model.appendItem(filled("a"));
        model.appendItem(filled("b"));
        model.exchangeItems(0, 1);
        const TaskRow top = model.ReadItemData(0);
        const TaskRow bottom = model.ReadItemData(1);
        QCOMPARE(top.path, QString("b"));
        QCOMPARE(top.name, QString("b"));
        QCOMPARE(bottom.path, QString("a"));
        QCOMPARE(bottom.name, QString("a"));
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
