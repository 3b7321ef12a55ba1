#include "EncoderLog.h"

#include "EncoderRun.h"

#include <QFile>
#include <QRegularExpression>

namespace {

QString howTheRunEnded(const EncoderOutcome& outcome)
{
    using Kind = EncoderOutcome::Kind;
    switch (outcome.kind) {
    case Kind::FailedToStart:
        return QStringLiteral("Failed to start: ") + outcome.startError;
    case Kind::Terminated:
        return QStringLiteral("Stopped");
    case Kind::Crashed:
        return QStringLiteral("Crashed");
    case Kind::Exited:
        break;
    }
    return QStringLiteral("Exit code %1").arg(outcome.exitCode);
}

QString shellQuoted(const QString& argument)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:=,+@%-]+$"));
    if (plain.match(argument).hasMatch())
        return argument;
    QString quoted = argument;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

QString shellCommandLine(const QString& program, const QStringList& arguments)
{
    QStringList words{shellQuoted(program)};
    for (const QString& argument : arguments)
        words << shellQuoted(argument);
    return words.join(QLatin1Char(' '));
}

void EncoderLog::addRun(const QString& program, const QStringList& arguments,
                        const EncoderOutcome& outcome)
{
    if (m_path.isEmpty() && !m_echo)
        return;
    ++m_runs;
    QString section =
        QStringLiteral("=== Run %1: %2\n").arg(m_runs).arg(shellCommandLine(program, arguments));
    if (outcome.lines.size() == EncoderOutcome::kKeptLines)
        section += QStringLiteral("(only the last %1 lines are kept)\n").arg(outcome.lines.size());
    for (const QString& line : outcome.lines)
        section += line + QLatin1Char('\n');
    if (!outcome.lastStatus.isEmpty())
        section += QStringLiteral("Last status: ") + outcome.lastStatus + QLatin1Char('\n');
    section += QStringLiteral("=== Run %1 ended: %2\n\n").arg(m_runs).arg(howTheRunEnded(outcome));

    if (m_echo)
        m_echo(section.trimmed());
    if (m_path.isEmpty())
        return;
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(section.toUtf8());
}

QString lastLinesOf(const QString& path, int count)
{
    constexpr qint64 kTail = 64 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const bool cut = file.size() > kTail;
    if (cut)
        file.seek(file.size() - kTail);
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (cut)
        lines.removeFirst(); // begun in the middle
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.mid(qMax(0, lines.size() - count)).join(QLatin1Char('\n'));
}
