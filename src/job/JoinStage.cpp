#include "JoinStage.h"

#include "EncoderStep.h"
#include "FileStamp.h"
#include "JobView.h"
#include "app/ProgramInfo.h"

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

StageOutcome JoinStage::run(const QString& encoderOptions, const QString& jobFolder)
{
    JobView& view = m_job.view;
    view.setProcessTitle(QStringLiteral("Final Step: Joining all files..."));
    view.setConvertingFileVisible(false);
    view.showProgressPanel(true);

    double total = 0;
    QStringList inputs;
    for (int k = 0; k < m_job.rows.count(); ++k) {
        view.pumpEvents();
        m_job.rows.setStatus(k, QStringLiteral("Joining"));
        total += m_job.rows.duration(k);
        inputs << intermediatePath(jobFolder, k);
    }
    // Absolute, so that the encoder cannot take a name such as "-x.avi" for an option.
    const QString output =
        joinOutputPath(QFileInfo(view.outputFileText()).absoluteFilePath(),
                       m_job.settings.outputExtension(), m_job.settings.renameExisting());
    // A Stop that came while the list was built prevents the run.
    if (m_job.stopRequested())
        return {StageOutcome::Kind::Stopped, StageOutcome::kEveryRow, {}};

    const FileStamp before = FileStamp::of(output);
    ProgressTracker tracker(ProgressRules::join());
    const EncoderOutcome run =
        m_job.step.run(joinCommand(inputs, output, encoderOptions), tracker, {total, 0, total});
    return judgeRun(run, m_job.stopRequested(), StageOutcome::kEveryRow, output, before);
}
