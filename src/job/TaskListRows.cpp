#include "TaskListRows.h"

#include "tasks/TaskListModel.h"

int TaskListRows::count() const
{
    return m_model.rowCount();
}

JobClip TaskListRows::clip(int row) const
{
    const TaskRow item = m_model.ReadItemData(row);
    return {item.path, item.lengthSeconds(), item.frameSize, item.inPoint, item.outPoint};
}

void TaskListRows::setStatus(int row, TaskStatus status)
{
    m_model.setStatus(row, status);
}
