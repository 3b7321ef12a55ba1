#include "JoinStage.h"

#include "EncoderContract.h"
#include "EncoderRuns.h"
#include "EncoderStep.h"
#include "FileStamp.h"
#include "JobView.h"
#include "paths/PathText.h"
#include "tasks/TaskRow.h"

#include <QFileInfo>
#include <optional>

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

QString joinStageOutput(const QString& outputFileText, const QString& outputExtension,
                        const prefs::GeneralSettings& settings)
{
    return joinOutputPath(QFileInfo(outputFileText).absoluteFilePath(), outputExtension,
                          settings.rename);
}

JoinPlan intermediatesJoinPlan(const TaskRows& rows, const QString& jobFolder,
                               const QString& encoderOptions)
{
    JoinPlan plan;
    // Each intermediate is the whole of what its conversion took of the row's file.
    for (int k = 0; k < rows.count(); ++k)
        plan.inputs << JobClip{intermediatePath(jobFolder, k), rows.clip(k).takenLength()};
    plan.command = [encoderOptions](const QList<JobClip>& inputs, const QString& output) {
        return joinCommand(inputs, output, encoderOptions);
    };
    plan.progress = ProgressRules::join();
    return plan;
}

namespace {

// A join of the rows' own inputs, shown row by row over the whole total bar.
JoinPlan originalsJoinPlan(const TaskRows& rows)
{
    JoinPlan plan;
    // Absolute, so that the encoder cannot take a name such as "-x.avi" for an option.
    for (int k = 0; k < rows.count(); ++k) {
        JobClip clip = rows.clip(k);
        clip.path = QFileInfo(clip.path).absoluteFilePath();
        plan.inputs << clip;
    }
    plan.progress = ProgressRules::onePassJoin();
    plan.followsRows = true;
    return plan;
}

} // namespace

JoinPlan onePassJoinPlan(const TaskRows& rows, const QString& encoderOptions,
                         const PictureRules& pictures)
{
    JoinPlan plan = originalsJoinPlan(rows);
    plan.command = [encoderOptions, pictures](const QList<JobClip>& inputs, const QString& output) {
        return onePassJoinCommand(inputs, output, encoderOptions, pictures);
    };
    return plan;
}

JoinPlan copyJoinPlan(const TaskRows& rows, const QString& encoderOptions)
{
    JoinPlan plan = originalsJoinPlan(rows);
    // The pictures keep their own frame rate: no -ofps.
    plan.command = [encoderOptions](const QList<JobClip>& inputs, const QString& output) {
        return joinCommand(inputs, output, encoderOptions);
    };
    return plan;
}

double JoinPlan::inputsLength() const
{
    double total = 0;
    for (const JobClip& input : inputs)
        total += input.takenLength();
    return total;
}

StageOutcome JoinStage::run(const JoinPlan& plan)
{
    std::optional<RowFollower> rowFollower;
    if (plan.followsRows)
        rowFollower.emplace(m_job.view, plan.inputs);
    JobView& view = m_job.view;
    view.setProcessTitle(QStringLiteral("Final Step: Joining all files..."));
    view.setConvertingFileVisible(rowFollower.has_value());
    if (rowFollower)
        rowFollower->reset();
    view.showProgressPanel(true);

    for (int k = 0; k < m_job.rows.count(); ++k) {
        view.pumpEvents();
        m_job.rows.setStatus(k, TaskStatus::Joining);
    }
    const double total = plan.inputsLength();
    const QString output =
        joinStageOutput(view.outputFileText(), m_job.output.outputExtension(), m_job.settings);
    // A Stop that came while the list was built prevents the run.
    if (m_job.stopRequested())
        return {StageOutcome::Kind::Stopped, StageOutcome::kEveryRow, {}, {}};
    if (rowFollower)
        rowFollower->follow(0);

    const FileStamp before = FileStamp::of(output);
    ProgressTracker tracker(plan.progress);
    const auto showProgress = [&] {
        if (rowFollower)
            rowFollower->follow(tracker.position());
        const BarUpdate bars = tracker.bars();
        m_job.step.showBars({rowFollower ? std::nullopt : bars.current, bars.total});
    };
    EncoderRun& encoder = m_job.encoders.at(0);
    if (m_job.step.start(encoder, plan.commandFor(output), tracker, {total, 0, total},
                         showProgress))
        while (!encoder.hasExited())
            m_job.encoders.waitForAnyExit();
    const EncoderOutcome run = encoder.finish();
    // An encoder that had put the whole output in place before a Stop reached it has done the
    // join: "canceled" would hide that the old file is gone.
    const bool finishedFirst = run.kind == EncoderOutcome::Kind::Exited &&
                               run.exitCode == int(vantomel::EncoderExit::Done);
    m_result = {output, run.joinReport, run.silencedInputs, run.droppedTracks};
    return judgeRun(run, m_job.stopRequested() && !finishedFirst, StageOutcome::kEveryRow, output,
                    before, RunTarget::Output);
}

RowFollower::RowFollower(JobView& view, const QList<JobClip>& clips) : m_view(view), m_clips(clips)
{
    double start = 0;
    for (const JobClip& clip : clips) {
        m_rowStarts << start;
        start += clip.takenLength();
    }
}

void RowFollower::reset()
{
    // No conversion has set them.
    m_view.setConvertingFile(QString());
    m_view.setCurrentBar(0);
    m_view.setTotalBar(0);
    m_shownRow = -1;
}

void RowFollower::follow(double position)
{
    const int count = int(m_rowStarts.size());
    if (count == 0)
        return;
    int row = 0;
    while (row < count - 1 && position >= m_rowStarts[row] + m_clips[row].takenLength())
        ++row;
    if (row != m_shownRow) {
        m_shownRow = row;
        m_view.setConvertingFile(QFileInfo(m_clips[row].path).fileName());
    }
    if (const auto bar = currentBarAt(position - m_rowStarts[row], m_clips[row].takenLength()))
        m_view.setCurrentBar(*bar);
}
