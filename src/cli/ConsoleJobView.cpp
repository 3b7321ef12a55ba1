#include "ConsoleJobView.h"

#include "RunReport.h"

#include <QCoreApplication>

ConsoleJobView::ConsoleJobView(RunReport& report, const QString& outputFile,
                               std::function<void()> locked)
    : m_report(report), m_outputFile(outputFile), m_locked(std::move(locked))
{
}

void ConsoleJobView::setRemainingText(const QString& text)
{
    // The clock sets the remaining time last in each tick, and clears both when it starts.
    if (text.isEmpty())
        return;
    m_report.progress(
        {m_title, m_totalBar, m_currentBar, m_fileVisible ? m_file : QString(), m_elapsed, text});
}

void ConsoleJobView::showProgressPanel(bool show)
{
    if (!show)
        m_report.progressEnded();
}

void ConsoleJobView::setLocked(bool locked)
{
    if (locked && m_locked)
        m_locked();
}

void ConsoleJobView::pumpEvents()
{
    QCoreApplication::processEvents();
}
