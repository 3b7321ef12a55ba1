#pragma once

#include "job/EncoderCheck.h"

#include <QList>
#include <QObject>

class CopyOutlook;
class QLabel;
class TaskListModel;

// Shows what the copy outlook found: a line under the task list, and on each row that stops the
// copy a note (a warning in its Status, the reason as its tooltip). The line's links ask for
// those rows to be removed or for another profile; the window decides how.
class CopyOutlookLine : public QObject
{
    Q_OBJECT

public:
    CopyOutlookLine(QLabel& line, TaskListModel& model, CopyOutlook& outlook,
                    QObject* parent = nullptr);

    // The line's text for an answer about the model's rows; empty: no line.
    static QString text(const EncoderCheck::Answer& answer, const TaskListModel& model);

signals:
    void removeRequested(const QList<int>& rows);
    void profileChoiceRequested();

private:
    void show(const EncoderCheck::Answer& answer);
    void withdraw();

    QLabel& m_line;
    TaskListModel& m_model;
    // The rows the line names.
    QList<int> m_named;
};
