#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

// How one encoder run ended, decided in one place.
struct EncoderOutcome
{
    enum class Kind
    {
        FailedToStart,
        Terminated, // by terminate(): the user's Stop
        Crashed,    // killed by anything else
        Exited,
    };
    Kind kind = Kind::FailedToStart;
    int exitCode = 0;
    // The last line the encoder printed that is not a status line: its error, when it failed.
    QString lastMessage;

    bool succeeded() const { return kind == Kind::Exited && exitCode == 0; }
};

// Runs the encoder with stdout and stderr merged, hands every read of at most 4095 bytes to the
// caller as one chunk, and waits in a nested event loop so that Stop, timers and repainting run
// meanwhile. At most one run exists at a time.
class EncoderRun : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 kChunkSize = 4095;

    using ChunkHandler = std::function<void(const QString& chunk)>;

    explicit EncoderRun(QObject* parent = nullptr);
    ~EncoderRun() override;

    // Returns when the encoder has exited (or could not be started).
    EncoderOutcome run(const QString& program, const QStringList& arguments,
                       const ChunkHandler& onChunk);

    // Kills the latest encoder; no effect once it has exited.
    void terminate();

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

private:
    void readChunks();
    void rememberMessages(const QByteArray& chunk);

    QProcess m_process;
    ChunkHandler m_onChunk;
    bool m_terminated = false;
    bool m_reading = false;
    QByteArray m_partialLine;
    QString m_lastMessage;
};
