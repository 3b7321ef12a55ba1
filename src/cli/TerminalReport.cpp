#include "TerminalReport.h"

#include "Console.h"
#include "tasks/ClipPart.h"

namespace {

// "  from 00:00:05.000 to 00:00:25.000" for a part; nothing for a whole video.
QString partText(const CheckPlan::Input& input)
{
    if (!input.inPoint && !input.outPoint)
        return {};
    return QStringLiteral("  from %1 to %2")
        .arg(PointText(input.inPoint.value_or(0)),
             input.outPoint ? PointText(*input.outPoint) : QStringLiteral("the end"));
}

} // namespace

void TerminalReport::progress(const ProgressStep& step)
{
    QString line = QStringLiteral("%1 %2% elapsed %3 remaining %4")
                       .arg(step.title)
                       .arg(step.total, 3)
                       .arg(step.elapsed, step.remaining);
    if (!step.file.isEmpty()) {
        // A phone clip's long name would wrap the line, and each update would start a new one.
        const int width = m_console.progressWidth();
        const QString name =
            width > 0 ? middleElided(step.file, width - line.size() - 1) : step.file;
        if (!name.isEmpty())
            line += QLatin1Char(' ') + name;
    }
    m_console.progress(line);
}

void TerminalReport::progressEnded()
{
    m_console.endProgress();
}

void TerminalReport::completed(const JobOutcome& outcome)
{
    m_console.note(QStringLiteral("Complete: ") + completionText(outcome));
}

void TerminalReport::plan(const CheckPlan& plan)
{
    m_console.out(QStringLiteral("Inputs:"));
    for (const CheckPlan::Input& input : plan.inputs)
        m_console.out(QStringLiteral("  %1  %2  %3").arg(input.path, input.length, input.size) +
                      partText(input));
    switch (plan.video) {
    case CheckPlan::Video::Copied:
        m_console.out(QStringLiteral("Video: copied, not re-encoded"));
        break;
    case CheckPlan::Video::OnePass:
        m_console.out(QStringLiteral("Video: re-encoded in one pass"));
        break;
    case CheckPlan::Video::TwoStages:
        m_console.out(QStringLiteral("Video: re-encoded in two stages, each video converted and "
                                     "then joined"));
        break;
    }
    m_console.out(QStringLiteral("Output: ") + plan.output);
    switch (plan.existing) {
    case CheckPlan::Existing::None:
        break;
    case CheckPlan::Existing::Ask:
        m_console.out(QStringLiteral("The output exists: the join would ask before replacing "
                                     "it (No without a terminal; -y replaces it)."));
        break;
    case CheckPlan::Existing::Overwrite:
        m_console.out(QStringLiteral("The output exists: the join would replace it."));
        break;
    case CheckPlan::Existing::Rename:
        m_console.out(QStringLiteral("The output exists: the join would write ") + plan.written);
        break;
    }
    m_console.out(QStringLiteral("Container: %1 (profile \"%2\")")
                      .arg(plan.container.toUpper(), plan.profile));
    if (plan.size.isEmpty())
        m_console.out(QStringLiteral("Picture: the videos' own size and frame rate"));
    else
        m_console.out(QStringLiteral("Picture: %1, frame rate %2")
                          .arg(plan.size, plan.frameRate == QLatin1String("First")
                                              ? QStringLiteral("the first video's")
                                              : plan.frameRate));
}

void TerminalReport::end(const RunEnd& end)
{
    if (!end.job)
        return;
    const JobOutcome& job = *end.job;
    if (!job.writtenPath.isEmpty()) {
        // A quiet run left out the completion message, but not what the check found wrong.
        if (m_console.verbosity() == Console::Verbosity::Quiet && !job.remark.isEmpty())
            m_console.err(job.remark);
        m_console.out(job.writtenPath);
    }
    if (!job.keptLogPath.isEmpty())
        m_console.err(QStringLiteral("The encoder's log is kept in ") + job.keptLogPath);
}
