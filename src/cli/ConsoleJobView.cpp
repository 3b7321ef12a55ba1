#include "ConsoleJobView.h"

#include "Console.h"

#include <QCoreApplication>

ConsoleJobView::ConsoleJobView(Console& console, const QString& outputFile,
                               std::function<void()> locked)
    : m_console(console), m_outputFile(outputFile), m_locked(std::move(locked))
{
}

void ConsoleJobView::setRemainingText(const QString& text)
{
    // The clock sets the remaining time last in each tick, and clears both when it starts.
    if (text.isEmpty())
        return;
    QString line = QStringLiteral("%1 %2% elapsed %3 remaining %4")
                       .arg(m_title)
                       .arg(m_totalBar, 3)
                       .arg(m_elapsed, text);
    if (m_fileVisible && !m_file.isEmpty()) {
        // A phone clip's long name would wrap the line, and each update would start a new one.
        const int width = m_console.progressWidth();
        const QString name = width > 0 ? middleElided(m_file, width - line.size() - 1) : m_file;
        if (!name.isEmpty())
            line += QLatin1Char(' ') + name;
    }
    m_console.progress(line);
}

void ConsoleJobView::showProgressPanel(bool show)
{
    if (!show)
        m_console.endProgress();
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
