#include "TaskListRows.h"

#include "tasks/TaskListModel.h"

int TaskListRows::count() const
{
    return m_model.rowCount();
}

QString TaskListRows::inputPath(int row) const
{
    return m_model.ReadItemData(row).path;
}

double TaskListRows::duration(int row) const
{
    return m_model.ReadItemData(row).lengthSeconds();
}

void TaskListRows::setStatus(int row, TaskStatus status)
{
    m_model.setStatus(row, status);
}
