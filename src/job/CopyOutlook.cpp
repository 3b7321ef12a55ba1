#include "CopyOutlook.h"

#include "EncoderRun.h"
#include "JobView.h"
#include "JoinCheck.h"

#include <QProcess>

CopyOutlook::CopyOutlook(const TaskRows& rows, const JobOutput& output, const JoinCheck& join,
                         std::function<QString()> outputFileText, QString encoderPath,
                         QObject* parent)
    : QObject(parent), m_rows(rows), m_output(output), m_join(join),
      m_outputFileText(std::move(outputFileText)), m_encoderPath(std::move(encoderPath))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &CopyOutlook::check);
}

CopyOutlook::~CopyOutlook()
{
    stopCheck();
}

void CopyOutlook::changed()
{
    stopCheck();
    emit withdrawn();
    if (m_output.copiesVideo() && m_rows.count() >= 2)
        m_settle.start();
    else
        m_settle.stop();
}

void CopyOutlook::stopCheck()
{
    if (!m_process)
        return;
    QProcess* process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    // Its end is not waited for: the process object goes once the process has.
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->kill();
}

void CopyOutlook::check()
{
    auto* process = new QProcess(this);
    endWithTheProgram(*process);
    m_process = process;
    const auto heard = [this, process](bool normalExit, int exitCode) {
        if (process != m_process)
            return;
        m_process = nullptr;
        process->deleteLater();
        const EncoderCheck::Answer answer =
            EncoderCheck::answerOf(normalExit, exitCode, process->readAllStandardError());
        if (answer.kind != EncoderCheck::Answer::Kind::NoAnswer)
            emit answered(answer);
    };
    connect(process, &QProcess::finished, this, [heard](int exitCode, QProcess::ExitStatus status) {
        heard(status == QProcess::NormalExit, exitCode);
    });
    connect(process, &QProcess::errorOccurred, this, [heard](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            heard(false, -1);
    });
    const QString written = m_join.writtenPath(m_outputFileText());
    process->start(m_encoderPath, EncoderCheck::arguments(m_join.command(written)),
                   QIODevice::ReadOnly);
}
