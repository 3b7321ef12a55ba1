#pragma once

#include "TaskRow.h"

#include <QVector>

// The task list as it stood before each of its latest changes, newest last, so that the changes
// can be taken back one by one. Every kind of change (an add, a removal, a move, a new order) is
// kept the same way: as the rows before it.
class TaskListHistory
{
public:
    void record(const QVector<TaskRow>& before);
    bool canUndo() const { return !m_before.isEmpty(); }
    // The rows before the latest change; that change leaves the history.
    QVector<TaskRow> takeLatest();

private:
    // Older changes are forgotten, so that a long session does not hold every list it had.
    static constexpr int kMaxChanges = 100;
    QVector<QVector<TaskRow>> m_before;
};
