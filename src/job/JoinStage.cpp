#include "JoinStage.h"

#include "EncoderStep.h"
#include "JobClock.h"
#include "JobView.h"
#include "app/ProgramInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString joinOutputPath(const QString& outputFile, const QString& outputExtension, bool rename)
{
    const QFileInfo output(outputFile);
    if (!rename || !output.exists())
        return outputFile;
    const QString directory = withTrailingSlash(output.path());
    QString base = output.fileName();
    if (const qsizetype dot = base.lastIndexOf(QLatin1Char('.')); dot >= 0)
        base.truncate(dot);
    for (int index = 1;; ++index) {
        const QString candidate =
            directory + base + QStringLiteral("_%1").arg(index) + outputExtension;
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

StageEnd JoinStage::run(const QString& encoderOptions, const QString& tempDirectory)
{
    JobView& view = m_job.view;
    view.setProcessTitle(QStringLiteral("Final Step: Joining all files..."));
    view.setConvertingFileVisible(false);
    view.showProgressPanel(true);
    m_job.runState = RunState::Running;

    double total = 0;
    QStringList inputs;
    for (int k = 0; k < m_job.rows.count(); ++k) {
        view.pumpEvents();
        m_job.rows.setStatus(k, QStringLiteral("Joining"));
        total += m_job.rows.duration(k);
        inputs << intermediatePath(tempDirectory, k);
    }
    const QString output = joinOutputPath(view.outputFileText(), m_job.settings.outputExtension(),
                                          m_job.settings.renameExisting());
    // A Stop that came while the list was built prevents the run.
    if (m_job.runState == RunState::Stopped)
        return stop(tempDirectory);

    ProgressTracker tracker(ProgressRules::join());
    const EncoderOutcome outcome =
        m_job.step.run(joinCommand(inputs, output, encoderOptions), tracker, {total, 0, total});
    if (outcome.kind == EncoderOutcome::Kind::FailedToStart) {
        m_job.setAllStatuses(QStringLiteral("Stop"));
        m_job.deleteIntermediates(tempDirectory);
        m_job.returnToSettings();
        m_job.runState = RunState::Idle;
        return StageEnd::Failed;
    }
    if (m_job.runState == RunState::Stopped) {
        QFile::remove(output); // a killed encoder leaves an unfinished file
        return stop(tempDirectory);
    }
    if (!outcome.succeeded() || QFileInfo(output).size() <= 0) {
        QFile::remove(output);
        m_job.setAllStatuses(QStringLiteral("Stop"));
        m_job.reportFailure(tempDirectory, QStringLiteral("The joining failed."),
                            outcome.lastMessage);
        return StageEnd::Failed;
    }
    complete(tempDirectory);
    return StageEnd::Completed;
}

StageEnd JoinStage::stop(const QString& tempDirectory)
{
    m_job.clock.stop();
    m_job.setAllStatuses(QStringLiteral("Stop"));
    m_job.deleteIntermediates(tempDirectory);
    m_job.seams.messages.info(m_job.view.owner(), QStringLiteral("Cancel"),
                              QStringLiteral("The Joining is canceled."));
    m_job.returnToSettings();
    m_job.runState = RunState::Idle;
    return StageEnd::Stopped;
}

void JoinStage::complete(const QString& tempDirectory)
{
    JobView& view = m_job.view;
    view.setCurrentBar(100);
    view.setTotalBar(100);
    m_job.clock.stop();
    for (int k = 0; k < m_job.rows.count(); ++k) {
        view.pumpEvents();
        m_job.rows.setStatus(k, QStringLiteral("Complete"));
        QFile::remove(intermediatePath(tempDirectory, k));
    }

    const JobSettings& settings = m_job.settings;
    if (settings.turnOffWhenDone()) {
        m_job.seams.power.powerOff();
        view.closeWindow();
        return;
    }
    if (settings.exitWhenDone()) {
        view.closeWindow();
        return;
    }
    m_job.seams.messages.info(view.owner(), QStringLiteral("Complete"),
                              QStringLiteral("The joining is completed successfully."));
    if (settings.openDirWhenDone())
        m_job.seams.shell.open(view.owner(), QFileInfo(view.outputFileText()).path());
    m_job.runState = RunState::Idle;
    view.showProgressPanel(false);
}
