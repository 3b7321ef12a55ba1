#pragma once

#include "EncoderCheck.h"

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <functional>

class JobOutput;
class JoinCheck;
class TaskRows;

// Whether the listed videos can be joined without re-encoding, told before Start. While the
// current profile copies the pictures, the encoder checks the join that Start would check
// (JoinCheck), in a process of its own, once the list, the profile and the output file have
// stood still for a moment. Whatever was said is withdrawn at every change, and an answer about
// a list that has changed since is dropped.
class CopyOutlook : public QObject
{
    Q_OBJECT

public:
    // Changes that come closer together than this are checked once.
    static constexpr int kSettleMs = 300;

    // outputFileText: the output file box's text as it is when the check starts.
    CopyOutlook(const TaskRows& rows, const JobOutput& output, const JoinCheck& join,
                std::function<QString()> outputFileText, QString encoderPath,
                QObject* parent = nullptr);
    ~CopyOutlook() override;

    // The rows, their order, the profile or the output file changed.
    void changed();
    // A check is waiting to start or running.
    bool isPending() const { return m_settle.isActive() || m_process; }

signals:
    // The encoder's answer about the list as it stands. Not for an answer that is not the
    // encoder's word (NoAnswer), on which Start finds out for itself.
    void answered(const EncoderCheck::Answer& answer);
    // What was said no longer holds: the list changed, or the profile re-encodes.
    void withdrawn();

private:
    void check();
    void stopCheck();

    const TaskRows& m_rows;
    const JobOutput& m_output;
    const JoinCheck& m_join;
    std::function<QString()> m_outputFileText;
    QString m_encoderPath;
    QTimer m_settle;
    // The running check; a new one takes its place, and the old one is killed unheard.
    QPointer<QProcess> m_process;
};
