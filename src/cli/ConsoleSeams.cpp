#include "ConsoleSeams.h"

#include "Console.h"

void ConsoleMessages::info(QWidget*, const QString& caption, const QString& text)
{
    m_console.err(caption.isEmpty() ? text : caption + QStringLiteral(": ") + text);
}

void ConsoleMessages::infoWithDetails(QWidget* owner, const QString& caption, const QString& text,
                                      const QString&)
{
    // The details are a window's; the run names the log itself.
    info(owner, caption, text);
}

bool ConsoleMessages::ask(QWidget*, const QString& caption, const QString& text)
{
    if (const std::optional<QString> why = noInAdvance(caption)) {
        m_console.err(caption + QStringLiteral(": ") + *why);
        return false;
    }
    // The window's questions name its buttons; a terminal is answered with a letter.
    const QString question =
        QString(text).replace(QStringLiteral("Click \"No\""), QStringLiteral("Answer \"n\""));
    const bool yes = m_console.askYesNo(caption + QStringLiteral(": ") + question.simplified());
    if (!m_console.inputIsTerminal())
        m_console.err(QStringLiteral("No terminal to answer on: the answer is No."));
    return yes;
}

void ConsoleMessages::error(QWidget*, const QString& text)
{
    m_console.err(QStringLiteral("Error: ") + text);
}

void ConsoleMessages::plain(const QString& title, const QString& text)
{
    m_console.err(title + QStringLiteral(": ") + text);
}

void ConsoleMessages::errorWithDetails(QWidget* owner, const QString& caption, const QString& text,
                                       const QString& details)
{
    infoWithDetails(owner, caption, text, details);
}
