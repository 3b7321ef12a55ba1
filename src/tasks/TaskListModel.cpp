#include "TaskListModel.h"

int TaskListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TaskListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TaskListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows.size())
        return {};
    const TaskRow& row = m_rows[index.row()];
    switch (index.column()) {
    case InputFile:
        return row.path;
    case Length:
        return row.length;
    case Size:
        return row.frameSize;
    case Status:
        return displayText(row.status);
    default:
        return {};
    }
}

QVariant TaskListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case InputFile:
        return QStringLiteral("Input File");
    case Length:
        return QStringLiteral("Length");
    case Size:
        return QStringLiteral("Size");
    case Status:
        return QStringLiteral("Status");
    default:
        return {};
    }
}

Qt::ItemFlags TaskListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

TaskRow TaskListModel::ReadItemData(int row) const
{
    return m_rows.at(row);
}

void TaskListModel::setStatus(int row, TaskStatus status)
{
    m_rows[row].status = status;
    rowChanged(row);
}

void TaskListModel::appendItem(const TaskRow& item)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.append(item);
    endInsertRows();
}

void TaskListModel::removeItem(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

void TaskListModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, rowCount() - 1);
    m_rows.clear();
    endRemoveRows();
}

void TaskListModel::exchangeItems(int first, int second)
{
    m_rows.swapItemsAt(first, second);
    rowChanged(first);
    rowChanged(second);
}

int TaskListModel::findPath(const QString& path) const
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].path == path)
            return row;
    }
    return -1;
}

void TaskListModel::rowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::DisplayRole});
}
