#include "OutputSummaryView.h"

#include "job/CopyOutlook.h"
#include "job/JobOutcome.h"
#include "job/OutputSummary.h"
#include "prefs/IniFile.h"
#include "profiles/CurrentProfile.h"
#include "profiles/EncoderOptions.h"
#include "tasks/TaskListModel.h"

#include <QEvent>
#include <QLabel>
#include <QTimer>

OutputSummaryView::OutputSummaryView(const TaskListModel& clips, const CurrentProfile& profile,
                                     const prefs::GeneralSettings& settings,
                                     QString preferencesPath, QLabel* line)
    : QObject(line), m_clips(clips), m_profile(profile), m_settings(settings),
      m_preferencesPath(std::move(preferencesPath)), m_line(line)
{
    const auto soon = [this] { refreshSoon(); };
    connect(&clips, &QAbstractItemModel::rowsInserted, this, soon);
    connect(&clips, &QAbstractItemModel::rowsRemoved, this, soon);
    connect(&clips, &QAbstractItemModel::rowsMoved, this, soon);
    connect(&clips, &QAbstractItemModel::modelReset, this, soon);
    connect(&clips, &TaskListModel::pointsChanged, this, soon);
    connect(&clips, &QAbstractItemModel::layoutChanged, this, soon);
    refreshSoon();
}

void OutputSummaryView::refreshSoon()
{
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshQueued = false;
        refresh();
    });
}

void OutputSummaryView::watch(QObject* dialog)
{
    dialog->installEventFilter(this);
}

void OutputSummaryView::follow(const CopyOutlook& outlook)
{
    connect(&outlook, &CopyOutlook::answered, this, [this](const EncoderCheck::Answer& answer) {
        m_encodedAgain.clear();
        // A clip whose sound alone is encoded again costs about what a copy does.
        for (const EncoderCheck::Answer::Differing& clip : answer.encodedToMatch)
            if (!clip.soundOnly)
                m_encodedAgain << clip.row;
        refreshSoon();
    });
    connect(&outlook, &CopyOutlook::withdrawn, this, [this] {
        if (m_encodedAgain.isEmpty())
            return;
        m_encodedAgain.clear();
        refreshSoon();
    });
}

bool OutputSummaryView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide)
        refreshSoon();
    return QObject::eventFilter(watched, event);
}

void OutputSummaryView::refresh()
{
    if (m_clips.rowCount() == 0 || m_profile.path().isEmpty()) {
        m_line->clear();
        m_line->setToolTip(QString());
        return;
    }
    const JoinWay way = joinWay(copiesVideo(m_profile), m_settings.onePass);
    const OutputSummary summary =
        summarizeOutput(m_clips.rows(), m_profile, m_settings, readJobSpeed(m_preferencesPath, way),
                        {m_encodedAgain, readJobSpeed(m_preferencesPath, JoinWay::OnePass)});
    const QString line = summaryLine(summary);
    m_line->setText(line);
    m_line->setToolTip(line + QStringLiteral("\n\n") + summaryExplanation(summary));
}

void OutputSummaryView::jobEnded(const JobOutcome& outcome)
{
    if (outcome.kind != JobOutcome::Kind::Completed || outcome.stopCameTooLate)
        return;
    const OutputSummary done = summarizeOutput(m_clips.rows(), m_profile, m_settings, {});
    // A copy that encoded clips again took longer than its bytes tell of a copy's speed.
    const bool measurable = done.way != JoinWay::Copy || m_encodedAgain.isEmpty();
    if (const auto speed = measuredSpeed(done.way, done.inputBytes, done.videoSeconds,
                                         done.outputPixels, outcome.runSeconds);
        speed && measurable) {
        try {
            writeJobSpeed(m_preferencesPath, done.way, *speed);
        } catch (const IniWriteError&) {
            // The estimates stay first guesses; the join itself went well.
        }
    }
    refresh();
}
