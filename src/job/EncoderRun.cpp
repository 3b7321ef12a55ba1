#include "EncoderRun.h"

#include "EncoderContract.h"

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
#include <utility>

namespace {

// The encoder's discard signal: it removes the file it writes under a name of its own (where
// the file system has no unnamed files) and kills itself. An encoder without it dies of it.
// Not SIGTERM: an encoder asked to stop keeps the shorter file it wrote where no file stood.
constexpr int kDiscardSignal = SIGUSR2;
// Then it is killed: an encoder that does not die of the discard signal must not hold up a Stop.
constexpr int kDiscardDeadlineMs = 2000;

void discard(const QProcess& process)
{
    ::kill(pid_t(process.processId()), kDiscardSignal);
}

} // namespace

void endWithTheProgram(QProcess& process)
{
    // The signal follows the thread that starts the encoder, the GUI thread, which lives as long
    // as the program.
    const pid_t program = getpid();
    process.setChildProcessModifier([program] {
        // A group of its own: Ctrl+C in the terminal reaches the program, which stops the job,
        // and not the encoder, which would keep a shorter file where no file stood.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, kDiscardSignal);
        if (getppid() != program) // the program died before the line above
            _exit(127);
    });
}

EncoderRun::EncoderRun(QObject* parent) : QObject(parent)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    endWithTheProgram(m_process);
    connect(&m_process, &QProcess::readyRead, this, &EncoderRun::readChunks);
    connect(&m_process, &QProcess::finished, this, &EncoderRun::exited);
    connect(&m_process, &QProcess::finished, &m_discardDeadline, &QTimer::stop);
    m_discardDeadline.setSingleShot(true);
    m_discardDeadline.setInterval(kDiscardDeadlineMs);
    connect(&m_discardDeadline, &QTimer::timeout, this, [this] {
        if (isRunning())
            m_process.kill();
    });
}

EncoderRun::~EncoderRun()
{
    if (isRunning()) {
        discard(m_process);
        if (!m_process.waitForFinished(kDiscardDeadlineMs))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
}

bool EncoderRun::start(const QString& program, const QStringList& arguments,
                       const ChunkHandler& onChunk, const EndHandler& onEnd)
{
    m_onChunk = onChunk;
    m_onEnd = onEnd;
    m_terminated = false;
    m_partialLine.clear();
    m_lastMessage.clear();
    m_lastError.clear();
    m_joinReport = {};
    m_silencedInputs.clear();
    m_droppedTracks.clear();
    m_lines.clear();
    m_lastStatus.clear();
    m_active = true;

    m_process.start(program, arguments, QIODevice::ReadOnly);
    m_started = m_process.waitForStarted(-1);
    if (!m_started)
        m_lastMessage = m_process.errorString();
    return m_started;
}

EncoderOutcome EncoderRun::finish()
{
    m_active = false;
    EncoderOutcome outcome;
    if (!m_started) {
        outcome.lastMessage = m_lastMessage;
        outcome.startError = m_lastMessage;
        if (const EndHandler onEnd = std::exchange(m_onEnd, nullptr))
            onEnd(outcome);
        return outcome;
    }
    readChunks(); // whatever arrived together with the exit
    if (!m_partialLine.trimmed().isEmpty())
        rememberMessages("\n");
    m_onChunk = nullptr;

    outcome.lastMessage = m_lastError.isEmpty() ? m_lastMessage : m_lastError;
    outcome.joinReport = m_joinReport;
    outcome.silencedInputs = m_silencedInputs;
    outcome.droppedTracks = m_droppedTracks;
    outcome.lines = m_lines;
    outcome.lastStatus = QString::fromLocal8Bit(m_lastStatus);
    outcome.exitCode = m_process.exitCode();
    // An encoder that had exited on its own before the kill reached it ends as it exited.
    if (m_process.exitStatus() == QProcess::NormalExit)
        outcome.kind = EncoderOutcome::Kind::Exited;
    else if (m_terminated)
        outcome.kind = EncoderOutcome::Kind::Terminated;
    else
        outcome.kind = EncoderOutcome::Kind::Crashed;
    if (const EndHandler onEnd = std::exchange(m_onEnd, nullptr))
        onEnd(outcome);
    return outcome;
}

void EncoderRun::terminate()
{
    if (!isRunning())
        return;
    m_terminated = true;
    // A Stop leaves nothing behind.
    if (!m_discardDeadline.isActive()) {
        discard(m_process);
        m_discardDeadline.start();
    }
}

void EncoderRun::readChunks()
{
    // The chunk handler handles pending events, which may bring more output: the outer loop
    // takes it in order.
    if (m_reading)
        return;
    m_reading = true;
    while (m_process.bytesAvailable() > 0) {
        QByteArray chunk = m_process.read(kChunkSize);
        // The chunk's text ends at its first zero byte.
        if (const qsizetype zero = chunk.indexOf('\0'); zero >= 0)
            chunk.truncate(zero);
        rememberMessages(chunk);
        if (m_onChunk)
            m_onChunk(QString::fromLocal8Bit(chunk));
    }
    m_reading = false;
}

namespace {

std::string_view viewOf(QByteArrayView bytes)
{
    return {bytes.data(), std::size_t(bytes.size())};
}

} // namespace

QString encoderReason(const QByteArray& printed)
{
    QStringList errors;
    QStringList lines;
    for (const QByteArray& line : printed.split('\n')) {
        const vantomel::EncoderMessage message = vantomel::readEncoderMessage(viewOf(line));
        const QString text = QString::fromLocal8Bit(message.text);
        if (vantomel::isFailureReason(message.type))
            errors << text;
        if (message.type != vantomel::EncoderMessageType::Libav && !text.isEmpty())
            lines << text;
    }
    return (errors.isEmpty() ? lines : errors).join(QLatin1Char('\n')).trimmed();
}

namespace {

// A line without end can be megabytes long; its beginning says what it is.
constexpr qsizetype kLongestKeptLine = 1000;

} // namespace

void EncoderRun::rememberMessages(const QByteArray& chunk)
{
    // Status lines end in "\r", messages in "\n".
    m_partialLine += chunk;
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_partialLine.size(); ++i) {
        const char c = m_partialLine[i];
        if (c != '\n' && c != '\r')
            continue;
        // Most lines are status lines: they are passed over before any text is made of them.
        const QByteArrayView bytes =
            QByteArrayView(m_partialLine).sliced(start, i - start).trimmed();
        start = i + 1;
        if (bytes.isEmpty())
            continue;
        if (viewOf(bytes).starts_with(vantomel::kStatusMarker)) {
            m_lastStatus = bytes.toByteArray();
            continue;
        }
        m_lines << QString::fromLocal8Bit(bytes).left(kLongestKeptLine);
        if (m_lines.size() > EncoderOutcome::kKeptLines)
            m_lines.removeFirst();
        const vantomel::EncoderMessage message = vantomel::readEncoderMessage(viewOf(bytes));
        if (message.type == vantomel::EncoderMessageType::Libav)
            continue;
        const QString text = QString::fromLocal8Bit(message.text);
        // The join lines come unmarked, on the status lines' stream.
        if (vantomel::isFailureReason(message.type))
            m_lastError = text;
        else if (message.type == vantomel::EncoderMessageType::Warning ||
                 !takeJoinReportLine(m_joinReport, text))
            m_lastMessage = text;
        if (const std::optional<QString> silenced = parseSilencedInput(text))
            m_silencedInputs << *silenced;
        if (message.type == vantomel::EncoderMessageType::Warning && isDroppedTrack(text))
            m_droppedTracks << text.trimmed();
    }
    m_partialLine.remove(0, start);
    if (m_partialLine.size() > 64 * 1024) // a line without end; keep its tail only
        m_partialLine = m_partialLine.right(4096);
}
