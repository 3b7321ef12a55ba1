#include "ConversionStage.h"

#include "EncoderStep.h"
#include "FileStamp.h"
#include "JobView.h"

#include <QFileInfo>

StageOutcome ConversionStage::run(const QString& pictureSize, const QString& jobFolder)
{
    JobView& view = m_job.view;
    view.setProcessTitle(QStringLiteral("Prepare (Converting):"));
    view.setConvertingFileVisible(true);
    view.setConvertingFile(QString());
    view.setCurrentBar(0);
    view.setTotalBar(0);
    view.showProgressPanel(true);

    const int count = m_job.rows.count();
    double total = 0;
    for (int i = 0; i < count; ++i)
        total += m_job.rows.duration(i);
    double completed = 0;

    ProgressTracker tracker(ProgressRules::conversion());
    for (int i = 0; i < count; ++i) {
        view.pumpEvents();
        // A Stop that came while no encoder ran prevents the next run.
        if (m_job.stopRequested())
            return {StageOutcome::Kind::Stopped, i, {}};

        // Absolute, so that the encoder cannot take a name such as "-x.avi" for an option.
        const QString input = QFileInfo(m_job.rows.inputPath(i)).absoluteFilePath();
        const double duration = m_job.rows.duration(i);
        m_job.rows.setStatus(i, QStringLiteral("Converting"));
        view.setConvertingFile(QFileInfo(input).fileName());
        const QString intermediate = intermediatePath(jobFolder, i);
        const FileStamp before = FileStamp::of(intermediate);

        const EncoderOutcome run =
            m_job.step.run(conversionCommand(input, intermediate, pictureSize), tracker,
                           {duration, completed, total});
        const StageOutcome outcome = judgeRun(run, m_job.stopRequested(), i, intermediate, before);
        if (outcome.kind != StageOutcome::Kind::Completed)
            return outcome;

        completed += duration;
        m_job.rows.setStatus(i, QStringLiteral("Waiting for joining"));
        if (i != count - 1)
            view.setCurrentBar(0);
        m_job.encoder.terminate();
    }
    return {};
}
