#pragma once

#include "JobView.h"

class TaskListModel;

// The task list as the job reads and marks it: each row's clip, and its Status.
class TaskListRows : public TaskRows
{
public:
    explicit TaskListRows(TaskListModel& model) : m_model(model) {}

    int count() const override;
    JobClip clip(int row) const override;
    void setStatus(int row, TaskStatus status) override;

private:
    TaskListModel& m_model;
};
