#include "Console.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

void write(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

Console::Console()
    : m_outputIsTerminal(::isatty(STDOUT_FILENO) == 1),
      m_inputIsTerminal(::isatty(STDIN_FILENO) == 1)
{
}

void Console::progress(const QString& line)
{
    if (m_outputIsTerminal) {
        // Blanks wipe the rest of a longer line before.
        write(stdout, QLatin1Char('\r') + line.leftJustified(79));
        m_progressOpen = true;
    } else {
        write(stdout, line + QLatin1Char('\n'));
    }
}

void Console::endProgress()
{
    if (m_progressOpen)
        write(stdout, QStringLiteral("\n"));
    m_progressOpen = false;
}

void Console::out(const QString& text)
{
    endProgress();
    write(stdout, text + QLatin1Char('\n'));
}

void Console::err(const QString& text)
{
    endProgress();
    write(stderr, text + QLatin1Char('\n'));
}

bool Console::askYesNo(const QString& question)
{
    if (!m_inputIsTerminal) {
        err(question);
        return false;
    }
    err(question + QStringLiteral(" [y/N] "));
    QByteArray answer;
    char c = 0;
    // A stop signal interrupts the read (the handler is installed without SA_RESTART).
    while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n')
        answer += c;
    return answer.trimmed().toLower().startsWith('y');
}
