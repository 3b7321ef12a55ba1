#include "ConversionStage.h"

#include "EncoderStep.h"
#include "JobClock.h"
#include "JobView.h"

#include <QFile>
#include <QFileInfo>

StageEnd ConversionStage::run(const QString& pictureSize, const QString& tempDirectory)
{
    JobView& view = m_job.view;
    view.setProcessTitle(QStringLiteral("Prepare (Converting):"));
    view.setConvertingFileVisible(true);
    view.setConvertingFile(QString());
    view.setCurrentBar(0);
    view.setTotalBar(0);
    view.showProgressPanel(true);
    m_job.runState = RunState::Running;
    m_job.clock.start();

    const int count = m_job.rows.count();
    double total = 0;
    for (int i = 0; i < count; ++i)
        total += m_job.rows.duration(i);
    double completed = 0;

    ProgressTracker tracker(ProgressRules::conversion());
    for (int i = 0; i < count; ++i) {
        view.pumpEvents();
        // A Stop that came while no encoder ran prevents the next run.
        if (m_job.runState == RunState::Stopped)
            return stopAt(i, tempDirectory);

        const QString input = m_job.rows.inputPath(i);
        const double duration = m_job.rows.duration(i);
        m_job.rows.setStatus(i, QStringLiteral("Converting"));
        view.setConvertingFile(QFileInfo(input).fileName());
        const QString intermediate = intermediatePath(tempDirectory, i);
        // A leftover of an earlier job must not pass for this run's result.
        QFile::remove(intermediate);

        const EncoderOutcome outcome =
            m_job.step.run(conversionCommand(input, intermediate, pictureSize), tracker,
                           {duration, completed, total});
        if (outcome.kind == EncoderOutcome::Kind::FailedToStart) {
            m_job.rows.setStatus(i, QStringLiteral("Stop"));
            m_job.deleteIntermediates(tempDirectory);
            m_job.returnToSettings();
            m_job.runState = RunState::Idle;
            return StageEnd::Failed;
        }
        if (m_job.runState == RunState::Stopped)
            return stopAt(i, tempDirectory);
        if (!outcome.succeeded() || QFileInfo(intermediate).size() <= 0) {
            m_job.rows.setStatus(i, QStringLiteral("Stop"));
            m_job.reportFailure(
                tempDirectory,
                QStringLiteral("The conversion of '%1' failed.").arg(QFileInfo(input).fileName()),
                outcome.lastMessage);
            return StageEnd::Failed;
        }

        completed += duration;
        m_job.rows.setStatus(i, QStringLiteral("Waiting for joining"));
        if (i != count - 1)
            view.setCurrentBar(0);
        m_job.encoder.terminate();
    }
    return StageEnd::Completed;
}

StageEnd ConversionStage::stopAt(int row, const QString& tempDirectory)
{
    m_job.clock.stop();
    m_job.rows.setStatus(row, QStringLiteral("Stop"));
    m_job.deleteIntermediates(tempDirectory);
    m_job.seams.messages.info(m_job.view.owner(), QStringLiteral("Cancel"),
                              QStringLiteral("The Coversion is canceled."));
    m_job.returnToSettings();
    return StageEnd::Stopped; // the run state stays "stopped" until the next Start
}
