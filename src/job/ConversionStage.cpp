#include "ConversionStage.h"

#include "EncoderRuns.h"
#include "EncoderStep.h"
#include "JobView.h"
#include "tasks/TaskRow.h"

#include <QFileInfo>
#include <algorithm>

StageOutcome ConversionStage::run(const PictureRules& pictures, const QString& jobFolder,
                                  int runsAtOnce)
{
    JobView& view = m_job.view;
    view.setProcessTitle(QStringLiteral("Prepare (Converting):"));
    view.setConvertingFileVisible(true);
    view.setConvertingFile(QString());
    view.setCurrentBar(0);
    view.setTotalBar(0);
    view.showProgressPanel(true);

    const int count = m_job.rows.count();
    for (int i = 0; i < count; ++i) {
        m_clips << m_job.rows.clip(i);
        m_total += m_clips.last().takenLength();
    }

    const int places = std::clamp(runsAtOnce, 1, std::max(count, 1));
    m_job.encoders.reserve(places);
    m_conversions.resize(places);
    for (int k = 0; k < places; ++k)
        m_conversions[k].encoder = &m_job.encoders.at(k);

    for (;;) {
        for (Conversion& conversion : m_conversions) {
            if (conversion.row >= 0 || m_nextRow >= count)
                continue;
            view.pumpEvents();
            // A Stop that came while this run was not yet started prevents it.
            if (m_job.stopRequested())
                return endOthers({StageOutcome::Kind::Stopped, m_nextRow, {}, {}});
            const int row = m_nextRow++;
            if (!startRun(conversion, row, pictures, jobFolder))
                return endOthers(judgeRun(conversion.encoder->finish(), false, row,
                                          conversion.intermediate, conversion.before,
                                          RunTarget::Intermediate));
        }
        if (std::none_of(m_conversions.begin(), m_conversions.end(),
                         [](const Conversion& c) { return c.row >= 0; }))
            return {};

        m_job.encoders.waitForAnyExit();
        // The runs that ended, in row order: an earlier row's failure is the one reported.
        std::vector<Conversion*> ended;
        for (Conversion& conversion : m_conversions)
            if (conversion.row >= 0 && conversion.encoder->hasExited())
                ended.push_back(&conversion);
        std::sort(ended.begin(), ended.end(),
                  [](const Conversion* a, const Conversion* b) { return a->row < b->row; });
        for (Conversion* conversion : ended) {
            const EncoderOutcome run = conversion->encoder->finish();
            const StageOutcome outcome =
                judgeRun(run, m_job.stopRequested(), conversion->row, conversion->intermediate,
                         conversion->before, RunTarget::Intermediate);
            if (outcome.kind != StageOutcome::Kind::Completed)
                return endOthers(outcome);
            m_silencedInputs[conversion->row] = run.silencedInputs;
            rowConverted(*conversion);
        }
    }
}

QStringList ConversionStage::silencedInputs() const
{
    QStringList inputs;
    for (const QStringList& ofRow : m_silencedInputs)
        inputs << ofRow;
    return inputs;
}

bool ConversionStage::startRun(Conversion& conversion, int row, const PictureRules& pictures,
                               const QString& jobFolder)
{
    JobClip input = m_clips[row];
    // Absolute, so that the encoder cannot take a name such as "-x.avi" for an option.
    input.path = QFileInfo(input.path).absoluteFilePath();
    conversion.row = row;
    conversion.duration = input.takenLength();
    m_job.rows.setStatus(row, TaskStatus::Converting);
    if (earliestRunning() == &conversion)
        m_job.view.setConvertingFile(QFileInfo(input.path).fileName());
    conversion.intermediate = intermediatePath(jobFolder, row);
    conversion.before = FileStamp::of(conversion.intermediate);

    EncoderCommand command = conversionCommand(input, conversion.intermediate, pictures);
    if (m_conversions.size() > 1)
        command = withOneThreadEach(command);
    return m_job.step.start(*conversion.encoder, command, conversion.tracker,
                            {conversion.duration, 0, m_total}, [this] { showProgress(); });
}

StageOutcome ConversionStage::endOthers(StageOutcome outcome)
{
    m_job.encoders.terminateAll();
    m_job.encoders.finishAll();
    for (Conversion& conversion : m_conversions) {
        if (conversion.row >= 0 && conversion.row != outcome.row)
            outcome.otherRows << conversion.row;
        conversion.row = -1;
    }
    std::sort(outcome.otherRows.begin(), outcome.otherRows.end());
    return outcome;
}

const ConversionStage::Conversion* ConversionStage::earliestRunning() const
{
    const Conversion* earliest = nullptr;
    for (const Conversion& conversion : m_conversions)
        if (conversion.row >= 0 && (!earliest || conversion.row < earliest->row))
            earliest = &conversion;
    return earliest;
}

void ConversionStage::showProgress()
{
    double covered = m_completed;
    for (const Conversion& conversion : m_conversions)
        if (conversion.row >= 0)
            covered += conversion.tracker.position();
    BarUpdate update;
    update.total = totalBarAt(covered, m_total, ProgressRules::conversion());
    if (const Conversion* earliest = earliestRunning(); earliest && earliest->tracker.isReporting())
        update.current = currentBarAt(earliest->tracker.position(), earliest->duration);
    m_job.step.showBars(update);
}

void ConversionStage::rowConverted(Conversion& conversion)
{
    const bool wasEarliest = earliestRunning() == &conversion;
    m_completed += conversion.duration;
    m_job.rows.setStatus(conversion.row, TaskStatus::WaitingForJoining);
    conversion.row = -1;
    conversion.encoder->terminate(); // normally it has already exited

    if (!wasEarliest)
        return;
    // After the last row both keep their final values.
    if (const Conversion* next = earliestRunning()) {
        m_job.view.setConvertingFile(QFileInfo(m_clips[next->row].path).fileName());
        const std::optional<int> bar = next->tracker.isReporting()
                                           ? currentBarAt(next->tracker.position(), next->duration)
                                           : std::nullopt;
        m_job.view.setCurrentBar(bar.value_or(0));
    } else if (m_nextRow < m_job.rows.count()) {
        m_job.view.setCurrentBar(0);
    }
}
