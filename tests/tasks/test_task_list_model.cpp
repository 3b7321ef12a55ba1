#include "job/TaskListRows.h"
#include "tasks/TaskListModel.h"

#include <QItemSelectionModel>
#include <QMimeData>
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
        TaskRow filmed = item("/v/b.avi", "00:00:03");
        filmed.facts = {"29.97", "H.264 High", "AAC 48 kHz stereo",
                        QDateTime(QDate(2025, 7, 11), QTime(14, 3, 22)), 12'345'678};
        model.appendItem(filmed);
        const QStringList facts{"29.97", "H.264 High", "AAC 48 kHz stereo", "2025-07-11 14:03",
                                "12.3 MB"};
        for (int column = TaskListModel::FrameRate; column < TaskListModel::ColumnCount; ++column)
            QCOMPARE(model.index(1, column).data().toString(),
                     facts[column - TaskListModel::FrameRate]);
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

    void movingARowMovesItsWholeContents()
    {
        TaskListModel model;
        model.appendItem(filled("a"));
        model.appendItem(filled("b"));
        QVERIFY(model.moveRow(QModelIndex(), 1, QModelIndex(), 0));
        const TaskRow top = model.ReadItemData(0);
        const TaskRow bottom = model.ReadItemData(1);
        QCOMPARE(top.path, QString("b"));
        QCOMPARE(top.name, QString("b"));
        QCOMPARE(bottom.path, QString("a"));
        QCOMPARE(bottom.name, QString("a"));
    }

    // Rows dragged in the list, each cell of them as the view hands them over, and dropped
    // before a row (-1: below the last).
    void droppedRowsLandTogetherInTheirOrder_data()
    {
        QTest::addColumn<QList<int>>("dragged");
        QTest::addColumn<int>("dropRow");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QList<int>>("selectedAfter");
        QTest::newRow("one row down") << QList<int>{0} << 3 << "bcade" << QList<int>{2};
        QTest::newRow("scattered rows up") << QList<int>{1, 3} << 0 << "bdace" << QList<int>{0, 1};
        QTest::newRow("rows from both sides")
            << QList<int>{0, 4} << 2 << "baecd" << QList<int>{1, 2};
        QTest::newRow("below the last") << QList<int>{0, 2} << -1 << "bdeac" << QList<int>{3, 4};
        QTest::newRow("between its own rows")
            << QList<int>{1, 2} << 2 << "abcde" << QList<int>{1, 2};
    }
    void droppedRowsLandTogetherInTheirOrder()
    {
        QFETCH(QList<int>, dragged);
        QFETCH(int, dropRow);
        QFETCH(QString, order);
        QFETCH(QList<int>, selectedAfter);
        TaskListModel model;
        for (const QChar name : QStringLiteral("abcde"))
            model.appendItem(filled(name));
        QItemSelectionModel selection(&model);
        for (int row : dragged)
            selection.select(model.index(row, 0),
                             QItemSelectionModel::Select | QItemSelectionModel::Rows);

        std::unique_ptr<QMimeData> data(model.mimeData(selection.selectedIndexes()));
        QVERIFY(model.canDropMimeData(data.get(), Qt::MoveAction, dropRow, 0, QModelIndex()));
        QVERIFY(model.dropMimeData(data.get(), Qt::MoveAction, dropRow, 0, QModelIndex()));

        // The order as the job reads it.
        const TaskListRows rows(model);
        QString joined;
        for (int row = 0; row < rows.count(); ++row)
            joined += rows.clip(row).path;
        QCOMPARE(joined, order);
        QList<int> selected;
        for (const QModelIndex& index : selection.selectedRows())
            selected << index.row();
        std::sort(selected.begin(), selected.end());
        QCOMPARE(selected, selectedAfter);
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
