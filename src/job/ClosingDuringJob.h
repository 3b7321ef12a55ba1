#pragma once

class JoinJob;
class Messages;
class QWidget;

// What closing the main window does while a job runs. The user is asked once whether to stop the
// job and close; on Yes the job is stopped as Stop does and the window closes when the job is
// over, without a message of its end; on No the job runs on and the window stays.
class ClosingDuringJob
{
public:
    ClosingDuringJob(JoinJob& job, Messages& messages) : m_job(job), m_messages(messages) {}

    // A request to close the window `owner`: true when it may close now. While the question is
    // up or the stop under way, a further request is refused without asking again.
    bool mayClose(QWidget* owner);
    // The job is over: true once, when a close waits for it.
    bool closeAfterJob();

private:
    JoinJob& m_job;
    Messages& m_messages;
    bool m_asking = false;
    bool m_closeWhenOver = false;
};
