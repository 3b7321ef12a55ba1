#include "TaskListModel.h"

#include "Durations.h"

namespace {

double* timeOfCell(ltvItemData& item, int cell)
{
    switch (cell) {
    case 0:
        return &item.time0;
    case 5:
        return &item.time5;
    case 6:
        return &item.time6;
    case 7:
        return &item.time7;
    case 8:
        return &item.time8;
    case 9:
        return &item.time9;
    default:
        return nullptr;
    }
}

void readCell(const QString& text, int cell, ltvItemData& item)
{
    item.cells[cell] = text;
    if (double* time = timeOfCell(item, cell))
        *time = ParseDuration(text);
}

bool isCell(int selector)
{
    return selector >= 0 && selector < 10;
}

} // namespace

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
    const Row& row = m_rows[index.row()];
    // Columns Length, Size and Status show cells 0, 1 and 2.
    return index.column() == InputFile ? row.path : row.cells[index.column() - 1];
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

void TaskListModel::ReadItemData(int row, int selector, ltvItemData& item) const
{
    const Row& source = m_rows.at(row);
    if (selector == ItemSelector::kWholeRow) {
        item.path = source.path;
        for (int cell = 0; cell < 10; ++cell)
            readCell(source.cells[cell], cell, item);
    } else if (selector == ItemSelector::kPath) {
        item.path = source.path;
    } else if (isCell(selector)) {
        readCell(source.cells[selector], selector, item);
    }
}

void TaskListModel::WriteItemData(int row, int selector, const ltvItemData& item)
{
    Row& target = m_rows[row];
    if (selector == ItemSelector::kWholeRow) {
        target.path = item.path;
        target.cells = item.cells;
    } else if (selector == ItemSelector::kPath) {
        target.path = item.path;
    } else if (isCell(selector)) {
        target.cells[selector] = item.cells[selector];
    } else {
        return;
    }
    rowChanged(row);
}

void TaskListModel::appendItem(const ltvItemData& item)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.append(Row{item.path, item.cells});
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
    ltvItemData firstItem;
    ltvItemData secondItem;
    ReadItemData(first, ItemSelector::kWholeRow, firstItem);
    ReadItemData(second, ItemSelector::kWholeRow, secondItem);
    WriteItemData(first, ItemSelector::kWholeRow, secondItem);
    WriteItemData(second, ItemSelector::kWholeRow, firstItem);
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
