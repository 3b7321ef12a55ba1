#include "TaskListHistory.h"

void TaskListHistory::record(const QVector<TaskRow>& before)
{
    if (m_before.size() == kMaxChanges)
        m_before.removeFirst();
    m_before.append(before);
}

QVector<TaskRow> TaskListHistory::takeLatest()
{
    return m_before.takeLast();
}
