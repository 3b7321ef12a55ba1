#pragma once

#include <QString>

// The terminal of a run without a window: progress on standard output, updated in place on a
// terminal and as plain lines otherwise; messages on standard error or output, each on a line of
// its own.
class Console
{
public:
    Console();

    // Replaces the progress line on a terminal; a line of its own otherwise.
    void progress(const QString& line);
    // Ends a progress line left open, so that what follows starts on a line of its own.
    void endProgress();
    void out(const QString& text);
    void err(const QString& text);
    // Asks on the terminal; only an answer starting with "y" is yes. No terminal, end of input or
    // a stop signal: false, with inputIsTerminal telling which.
    bool askYesNo(const QString& question);
    bool inputIsTerminal() const { return m_inputIsTerminal; }

private:
    bool m_outputIsTerminal;
    bool m_inputIsTerminal;
    bool m_progressOpen = false;
};
