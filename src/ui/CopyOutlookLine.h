#pragma once

#include "job/EncoderCheck.h"

#include <QList>
#include <QObject>

class CopyOutlook;
class QLabel;
class TaskListModel;
namespace prefs {
struct GeneralSettings;
}

// Shows what the copy outlook found: a line under the task list, and on each row that stops the
// copy or that the copy encodes again to match the others a note (a mark in its Status, the
// reason as its tooltip). The line's links ask for those rows to be removed, for another profile,
// or for cuts that stay exact; the window decides how.
class CopyOutlookLine : public QObject
{
    Q_OBJECT

public:
    // settings: whether the user has consented to exact cuts, as the outlook's join reads it.
    CopyOutlookLine(QLabel& line, TaskListModel& model, CopyOutlook& outlook,
                    const prefs::GeneralSettings& settings, QObject* parent = nullptr);

    // The line's text for an answer about the model's rows; empty: no line. offerExactCuts:
    // moved cuts bring a link that asks for them to stay exact.
    static QString text(const EncoderCheck::Answer& answer, const TaskListModel& model,
                        bool offerExactCuts);

signals:
    void removeRequested(const QList<int>& rows);
    void profileChoiceRequested();
    // The user consents to parameter sets in the stream, which keep the cuts exact.
    void exactCutsRequested();

private:
    void show(const EncoderCheck::Answer& answer);
    void withdraw();

    QLabel& m_line;
    TaskListModel& m_model;
    const prefs::GeneralSettings& m_settings;
    // The rows the line names.
    QList<int> m_named;
};
