#include "Console.h"

#include "StopSignals.h"

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

void write(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

Console::Console()
    : m_errorIsTerminal(::isatty(STDERR_FILENO) == 1),
      m_inputIsTerminal(::isatty(STDIN_FILENO) == 1)
{
}

void Console::progress(const QString& line)
{
    if (m_verbosity == Verbosity::Quiet)
        return;
    if (const int width = progressWidth(); width > 0) {
        // Blanks wipe the rest of a longer line before; a line as wide as the terminal would wrap.
        write(stderr, QLatin1Char('\r') + line.leftJustified(width, QLatin1Char(' '), true));
        m_progressOpen = true;
    } else {
        write(stderr, line + QLatin1Char('\n'));
    }
}

void Console::endProgress()
{
    if (m_progressOpen)
        write(stderr, QStringLiteral("\n"));
    m_progressOpen = false;
}

int Console::progressWidth() const
{
    if (!m_errorIsTerminal)
        return 0;
    int columns = 0;
    if (winsize size{}; ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0)
        columns = size.ws_col;
    if (columns <= 0)
        columns = qEnvironmentVariableIntValue("COLUMNS");
    if (columns <= 0)
        columns = 80;
    // One column left free: a line that fills the last one wraps on some terminals.
    return qMax(columns - 1, 1);
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

void Console::note(const QString& text)
{
    if (m_verbosity != Verbosity::Quiet)
        err(text);
}

void Console::detail(const QString& text)
{
    if (m_verbosity == Verbosity::Verbose)
        err(text);
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
    // A stop signal interrupts the wait (the handler is installed without SA_RESTART); one that
    // came just before the wait began is seen at the next look, a tenth of a second later.
    constexpr int kLookEveryMs = 100;
    while (!StopSignals::arrived()) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&input, 1, kLookEveryMs);
        if (ready == 0 || (ready < 0 && errno == EINTR))
            continue;
        if (ready < 0 || ::read(STDIN_FILENO, &c, 1) != 1 || c == '\n')
            break;
        answer += c;
    }
    return !StopSignals::arrived() && answer.trimmed().toLower().startsWith('y');
}

QString middleElided(const QString& name, int width)
{
    if (name.size() <= width)
        return name;
    if (width < 3)
        return {};
    const int kept = width - 1; // the ellipsis takes one
    const int tail = kept / 2;
    return name.left(kept - tail) + QChar(0x2026) + name.right(tail);
}
