#pragma once

#include "ResultCheck.h"

#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

// How one encoder run ended, decided in one place.
struct EncoderOutcome
{
    enum class Kind
    {
        FailedToStart,
        Terminated, // killed by terminate(): the user's Stop
        Crashed,    // killed by anything else
        Exited,
    };
    Kind kind = Kind::FailedToStart;
    int exitCode = 0;
    // Why it failed, when it did: the last error or refusal the encoder printed, without its
    // mark. From an encoder that marks none, the last line it printed that is not a status line,
    // a join report or a line of FFmpeg's own log.
    QString lastMessage;
    // What the encoder reported of its join points and of its output read back.
    JoinReport joinReport;
    // The inputs it joined with silence because their sound could not be decoded, as it named
    // them.
    QStringList silencedInputs;
    // Its warnings on tracks that the output's container cannot keep, as it said them.
    QStringList droppedTracks;
    // The lines the encoder printed, marks and all, without its status lines: the last
    // kKeptLines of them, so that a long run's chatter stays bounded.
    QStringList lines;
    // Its last status line ("Pos: ..."): where it was when it ended. Empty when it wrote none.
    QString lastStatus;
    // Why it could not be started.
    QString startError;

    static constexpr int kKeptLines = 300;
};

// Its reason, from what the encoder printed: its errors and refusals, without their marks; from
// an encoder that marks none, its own lines, without FFmpeg's ("[libav] [aac @ 0x55…] …"),
// which the log keeps but which are never the reason shown.
QString encoderReason(const QByteArray& printed);

// The encoder started by this process ends with the program, however the program ends: an
// orphan would go on filling the temporary folder.
void endWithTheProgram(QProcess& process);

// One encoder process with stdout and stderr merged; every read of at most 4095 bytes goes to
// the caller as one chunk. Waiting is left to the caller (see EncoderRuns), so that several runs
// can go on at once while the GUI thread waits for whichever ends first.
class EncoderRun : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 kChunkSize = 4095;

    using ChunkHandler = std::function<void(const QString& chunk)>;
    using EndHandler = std::function<void(const EncoderOutcome& outcome)>;

    explicit EncoderRun(QObject* parent = nullptr);
    ~EncoderRun() override;

    // False when the encoder could not be started; finish() then tells why. onEnd runs in
    // finish(), once the last chunk has been handed on, with how the run ended (also when it
    // could not be started).
    bool start(const QString& program, const QStringList& arguments, const ChunkHandler& onChunk,
               const EndHandler& onEnd = {});
    // Started, and not yet finished.
    bool isActive() const { return m_active; }
    // Started and exited; finish() is due.
    bool hasExited() const { return m_active && !isRunning(); }
    // Takes what came with the exit and tells how the run ended. Once the process has exited, or
    // when it could not be started.
    EncoderOutcome finish();

    // Kills the latest encoder, which first removes a file it writes under a name of its own;
    // no effect once it has exited. Returns at once: exited() tells when it is dead.
    void terminate();

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

signals:
    void exited();

private:
    void readChunks();
    void rememberMessages(const QByteArray& chunk);

    QProcess m_process;
    // From the discard signal on: then the encoder is killed outright.
    QTimer m_discardDeadline;
    ChunkHandler m_onChunk;
    EndHandler m_onEnd;
    bool m_active = false;
    bool m_started = false;
    bool m_terminated = false;
    bool m_reading = false;
    QByteArray m_partialLine;
    QString m_lastMessage;
    QString m_lastError; // or refusal
    JoinReport m_joinReport;
    QStringList m_silencedInputs;
    QStringList m_droppedTracks;
    QStringList m_lines;
    QByteArray m_lastStatus;
};
