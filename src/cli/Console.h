#pragma once

#include <QString>

// The terminal of a run without a window. Standard output holds only the result (the path
// written), so that a script can take it; progress and messages go to standard error, the
// progress line updated in place on a terminal and as plain lines otherwise.
class Console
{
public:
    enum class Verbosity
    {
        Quiet, // no progress line and no notes: errors and questions only
        Normal,
        Verbose, // notes of details too, such as the encoder's runs
    };

    Console();

    void setVerbosity(Verbosity verbosity) { m_verbosity = verbosity; }
    Verbosity verbosity() const { return m_verbosity; }

    // Replaces the progress line on a terminal; a line of its own otherwise.
    void progress(const QString& line);
    // Ends a progress line left open, so that what follows starts on a line of its own.
    void endProgress();
    // How many characters a progress line may hold; 0: any, as it is no terminal's line.
    int progressWidth() const;
    void out(const QString& text);
    void err(const QString& text);
    // A message that is no error: left out when quiet.
    void note(const QString& text);
    // Shown only when verbose.
    void detail(const QString& text);
    // Asks on the terminal; only an answer starting with "y" is yes. No terminal, end of input or
    // a stop signal: false, with inputIsTerminal telling which.
    bool askYesNo(const QString& question);
    bool inputIsTerminal() const { return m_inputIsTerminal; }

private:
    bool m_errorIsTerminal;
    bool m_inputIsTerminal;
    bool m_progressOpen = false;
    Verbosity m_verbosity = Verbosity::Normal;
};

// The name cut in its middle to at most `width` characters: "PXL_2025…_LS.mp4". Empty when not
// even a character either side of the cut fits.
QString middleElided(const QString& name, int width);
