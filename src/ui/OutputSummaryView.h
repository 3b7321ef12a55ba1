#pragma once

#include "prefs/Preferences.h"

#include <QList>
#include <QObject>

class CopyOutlook;
class CurrentProfile;
class QLabel;
class TaskListModel;
struct JobOutcome;

// The line beside the output file that tells what Start would make of the clips, and how large
// and how long: it follows every change of the clips, the profile and the settings, and what the
// copy outlook says a copy encodes again. A finished job's speed is kept in the preferences file
// for the next estimates.
class OutputSummaryView : public QObject
{
    Q_OBJECT

public:
    OutputSummaryView(const TaskListModel& clips, const CurrentProfile& profile,
                      const prefs::GeneralSettings& settings, QString preferencesPath,
                      QLabel* line);

    // Shows the line again once the events now queued are handled: many changes, one summary.
    void refreshSoon();
    // Also when a watched dialog hides, having changed the profile or the settings.
    void watch(QObject* dialog);
    // The clips that the outlook's copy encodes again to match the others count for the line.
    void follow(const CopyOutlook& outlook);
    void jobEnded(const JobOutcome& outcome);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    const TaskListModel& m_clips;
    const CurrentProfile& m_profile;
    const prefs::GeneralSettings& m_settings;
    QString m_preferencesPath;
    QLabel* m_line;
    bool m_refreshQueued = false;
    QList<int> m_encodedAgain; // rows, as the outlook's last answer says
};
