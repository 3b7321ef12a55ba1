#include "JoinStage.h"

#include "EncoderRuns.h"
#include "EncoderStep.h"
#include "FileStamp.h"
#include "JobView.h"
#include "paths/PathText.h"
#include "tasks/TaskRow.h"

#include <QFileInfo>

QString joinOutputPath(const QString& outputFile, const QString& outputExtension, bool rename)
{
    const QFileInfo output(outputFile);
    if (!rename || !output.exists())
        return outputFile;
    const QString directory = withTrailingSlash(output.path());
    const QString base = baseNameOf(output.fileName());
    for (int index = 1;; ++index) {
        const QString candidate =
            directory + base + QStringLiteral("_%1").arg(index) + outputExtension;
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

QString joinStageOutput(const QString& outputFileText, const JobSettings& settings)
{
    return joinOutputPath(QFileInfo(outputFileText).absoluteFilePath(), settings.outputExtension(),
                          settings.renameExisting());
}

EncoderCommand joinStageCommand(const TaskRows& rows, const QString& jobFolder,
                                const QString& output, const QString& encoderOptions, bool onePass)
{
    QStringList inputs;
    for (int k = 0; k < rows.count(); ++k)
        inputs << (onePass ? QFileInfo(rows.inputPath(k)).absoluteFilePath()
                           : intermediatePath(jobFolder, k));
    return onePass ? onePassJoinCommand(inputs, output, encoderOptions)
                   : joinCommand(inputs, output, encoderOptions);
}

StageOutcome JoinStage::run(const QString& encoderOptions, const QString& jobFolder)
{
    return join(encoderOptions, jobFolder, false);
}

StageOutcome JoinStage::runOnePass(const QString& encoderOptions)
{
    return join(encoderOptions, QString(), true);
}

StageOutcome JoinStage::join(const QString& encoderOptions, const QString& jobFolder, bool onePass)
{
    JobView& view = m_job.view;
    view.setProcessTitle(QStringLiteral("Final Step: Joining all files..."));
    view.setConvertingFileVisible(onePass);
    if (onePass) {
        // No conversion has set them.
        view.setConvertingFile(QString());
        view.setCurrentBar(0);
        view.setTotalBar(0);
    }
    view.showProgressPanel(true);

    double total = 0;
    for (int k = 0; k < m_job.rows.count(); ++k) {
        view.pumpEvents();
        m_job.rows.setStatus(k, TaskStatus::kJoining);
        m_rowStarts << total;
        m_rowDurations << m_job.rows.duration(k);
        total += m_rowDurations.last();
    }
    const QString output = joinStageOutput(view.outputFileText(), m_job.settings);
    // A Stop that came while the list was built prevents the run.
    if (m_job.stopRequested())
        return {StageOutcome::Kind::Stopped, StageOutcome::kEveryRow, {}, {}};
    if (onePass)
        followRowAt(0);

    const FileStamp before = FileStamp::of(output);
    ProgressTracker tracker(onePass ? ProgressRules::onePassJoin() : ProgressRules::join());
    const auto showProgress = [&] {
        if (onePass)
            followRowAt(tracker.position());
        m_job.step.showBars(
            {onePass ? std::nullopt : tracker.bars().current, tracker.bars().total});
    };
    EncoderRun& encoder = m_job.encoders.at(0);
    const EncoderCommand command =
        joinStageCommand(m_job.rows, jobFolder, output, encoderOptions, onePass);
    if (m_job.step.start(encoder, command, tracker, {total, 0, total}, showProgress))
        while (!encoder.hasExited())
            m_job.encoders.waitForAnyExit();
    return judgeRun(encoder.finish(), m_job.stopRequested(), StageOutcome::kEveryRow, output,
                    before);
}

void JoinStage::followRowAt(double position)
{
    const int count = int(m_rowStarts.size());
    if (count == 0)
        return;
    int row = 0;
    while (row < count - 1 && position >= m_rowStarts[row] + m_rowDurations[row])
        ++row;
    if (row != m_shownRow) {
        m_shownRow = row;
        m_job.view.setConvertingFile(QFileInfo(m_job.rows.inputPath(row)).fileName());
    }
    if (const auto bar = currentBarAt(position - m_rowStarts[row], m_rowDurations[row]))
        m_job.view.setCurrentBar(*bar);
}
