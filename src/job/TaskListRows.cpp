#include "TaskListRows.h"

#include "tasks/Durations.h"
#include "tasks/TaskListModel.h"

int TaskListRows::count() const
{
    return m_model.rowCount();
}

QString TaskListRows::inputPath(int row) const
{
    ltvItemData item;
    m_model.ReadItemData(row, ItemSelector::kWholeRow, item);
    return item.path;
}

double TaskListRows::duration(int row) const
{
    ltvItemData item;
    m_model.ReadItemData(row, ItemSelector::kWholeRow, item);
    return ParseDuration(item.cells[ItemSelector::kLength]);
}

void TaskListRows::setStatus(int row, const QString& status)
{
    ltvItemData item;
    item.cells[ItemSelector::kStatus] = status;
    m_model.WriteItemData(row, ItemSelector::kStatus, item);
}
