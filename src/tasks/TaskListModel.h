#pragma once

#include "TaskRow.h"

#include <QAbstractTableModel>
#include <QVector>

// The ordered input videos of the join job, top row first; columns show each row's path,
// length, frame size and status.
class TaskListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        InputFile,
        Length,
        Size,
        Status,
        ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    TaskRow ReadItemData(int row) const;
    // The one part of a row that changes once it is listed.
    void setStatus(int row, TaskStatus status);

    void appendItem(const TaskRow& item);
    void removeItem(int row);
    // Deletes every row.
    void clear();
    // Exchanges the whole contents of two rows.
    void exchangeItems(int first, int second);

    // The first row, from the top, whose path equals path exactly (letter case significant).
    int findPath(const QString& path) const;

private:
    void rowChanged(int row);

    QVector<TaskRow> m_rows;
};
