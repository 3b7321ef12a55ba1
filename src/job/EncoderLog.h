#pragma once

#include <QString>
#include <QStringList>

#include <functional>

struct EncoderOutcome;

// What the encoder said in each run of one job, kept in a file of the job's folder so that a
// failure can be looked into afterwards: one section per run, headed by the command line as the
// process gets it and ending with how the run ended. A run is written whole when it ends, so
// that runs side by side do not mix their lines.
class EncoderLog
{
public:
    // No file: the runs are not logged.
    EncoderLog() = default;
    explicit EncoderLog(QString path) : m_path(std::move(path)) {}

    QString path() const { return m_path; }
    // Each run's section is also handed to echo as it is written, with or without a file.
    void setEcho(std::function<void(const QString&)> echo) { m_echo = std::move(echo); }
    // A log that cannot be written costs the job nothing.
    void addRun(const QString& program, const QStringList& arguments,
                const EncoderOutcome& outcome);

private:
    QString m_path;
    std::function<void(const QString&)> m_echo;
    int m_runs = 0;
};

// The program and its arguments as one line a shell would run: an argument that holds
// anything but letters, digits and -_./:=,+@% is put in single quotes.
QString shellCommandLine(const QString& program, const QStringList& arguments);

// The last `count` lines of the text file at `path`, read from at most its last 64 KiB.
QString lastLinesOf(const QString& path, int count);
