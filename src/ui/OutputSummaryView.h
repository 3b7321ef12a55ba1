#pragma once

#include "prefs/Preferences.h"

#include <QObject>

class CurrentProfile;
class QLabel;
class TaskListModel;
struct JobOutcome;

// The line beside the output file that tells what Start would make of the clips, and how large
// and how long: it follows every change of the clips, the profile and the settings. A finished
// job's speed is kept in the preferences file for the next estimates.
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
};
