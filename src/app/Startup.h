#pragma once

#include "platform/Seams.h"
#include "prefs/Preferences.h"
#include "profiles/CurrentProfile.h"
#include "program/ProgramSetup.h"

#include <QStringList>
#include <memory>

class CompletionActions;
class CopyOutlook;
class JoinCheck;
class CurrentProfileOutput;
class JoinJob;
class MainWindowJobView;
class NotifyingMessages;
class TaskListModel;
class TaskListRows;
class TMainForm;
class TAboutForm;
class TopSettingForm;
class TSettingForm;

// The program put together. The main window comes first (its creation takes the command line),
// then the About box, the Output Settings dialog and the General Settings dialog, hidden and
// owned by the main window, then the join job behind Start and Stop. Each part is handed what
// it needs; commands show these windows and never create new ones. The current profile is the
// one the Output Settings dialog edits and the job reads; the General Settings are read from the
// preferences once, changed by the General Settings dialog and read by the job.
class Startup
{
public:
    // arguments: the command line without the program name; relative paths in it are taken
    // from workingDirectory (empty: the current one).
    Startup(Seams seams, const ProgramSetup& setup, const QStringList& arguments = {},
            const QString& workingDirectory = {});
    // Decides the setup from the executable's path.
    Startup(Seams seams, const QString& executablePath, const QStringList& arguments = {});
    ~Startup();

    TMainForm& mainForm() const { return *m_mainForm; }
    TAboutForm& aboutForm() const { return *m_aboutForm; }
    TopSettingForm& opSettingForm() const { return *m_opSettingForm; }
    TSettingForm& settingForm() const { return *m_settingForm; }
    JoinJob& job() const { return *m_job; }
    const CurrentProfile& currentProfile() const { return m_currentProfile; }
    const prefs::GeneralSettings& generalSettings() const { return m_generalSettings; }

private:
    void followFirstVideo(const TaskListModel& clips);

    // Outlive the windows and the job that use them.
    CurrentProfile m_currentProfile;
    prefs::GeneralSettings m_generalSettings;
    // Destroyed in reverse order: the job before the windows it works in.
    std::unique_ptr<TMainForm> m_mainForm;
    TAboutForm* m_aboutForm; // the dialogs belong to the main window
    TopSettingForm* m_opSettingForm;
    TSettingForm* m_settingForm;
    std::unique_ptr<TaskListRows> m_jobRows;
    std::unique_ptr<MainWindowJobView> m_jobView;
    std::unique_ptr<CurrentProfileOutput> m_jobOutput;
    std::unique_ptr<NotifyingMessages> m_jobMessages;
    std::unique_ptr<JoinJob> m_job;
    std::unique_ptr<CompletionActions> m_completionActions;
    std::unique_ptr<JoinCheck> m_outlookJoin;
    std::unique_ptr<CopyOutlook> m_copyOutlook;
};
