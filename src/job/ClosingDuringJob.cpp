#include "ClosingDuringJob.h"

#include "JoinJob.h"

#include <utility>

bool ClosingDuringJob::mayClose(QWidget* owner)
{
    if (!m_job.isBusy())
        return true;
    if (m_asking || m_closeWhenOver)
        return false;
    m_asking = true;
    const bool stop = m_messages.ask(
        owner, QStringLiteral("Job Running"),
        QStringLiteral("The videos are still being joined. Do you want to stop the job and exit?"
                       "\nClick \"No\" to let the job run on."));
    m_asking = false;
    if (!stop)
        return false;
    if (!m_job.isBusy())
        return true;
    m_closeWhenOver = true;
    m_job.stopForClosing();
    return false;
}

bool ClosingDuringJob::closeAfterJob()
{
    return std::exchange(m_closeWhenOver, false);
}
