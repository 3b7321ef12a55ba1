#include "Startup.h"

#include "job/CompletionActions.h"
#include "job/CopyOutlook.h"
#include "job/CurrentProfileOutput.h"
#include "job/JoinCheck.h"
#include "job/JoinJob.h"
#include "job/TaskListRows.h"
#include "paths/PathText.h"
#include "platform/NotifyingMessages.h"
#include "prefs/Preferences.h"
#include "ui/MainWindowJobView.h"
#include "ui/OutputSummaryView.h"
#include "ui/OutputTracksLine.h"
#include "ui/TAboutForm.h"
#include "ui/TMainForm.h"
#include "ui/TSettingForm.h"
#include "ui/TopSettingForm.h"

#include <QTimer>

namespace {

// Every read of a preferences file that is not read gives the defaults, and no save writes over
// it; the user is told once, over the main window when it first shows. So is a frame rate that
// the program does not offer, for which the default stands in.
void tellAboutPreferences(Messages& messages, QWidget* mainWindow, const QString& path,
                          const QString& productName)
{
    const QList<std::pair<QString, QString>> notices{
        {prefs::kPreferencesNotReadCaption, prefs::notReadNotice(path, productName)},
        {prefs::kFrameRateNoticeCaption, prefs::frameRateNotice(path)}};
    for (const auto& [caption, text] : notices) {
        if (text.isEmpty())
            continue;
        QTimer::singleShot(0, mainWindow, [&messages, mainWindow, caption, text] {
            messages.info(mainWindow, caption, text);
        });
    }
}

} // namespace

Startup::Startup(Seams seams, const QString& executablePath, const QStringList& arguments)
    : Startup(seams, ProgramSetup::decide(executablePath), arguments)
{
}

Startup::Startup(Seams seams, const ProgramSetup& setup, const QStringList& arguments,
                 const QString& workingDirectory)
    : m_generalSettings(
          prefs::readMainSettings(setup.places.preferencesPath, setup.places.defaultTempDirectory)),
      m_mainForm(std::make_unique<TMainForm>(seams, setup.info, setup.places, arguments,
                                             workingDirectory)),
      m_aboutForm(new TAboutForm(seams.shell, setup.info, m_mainForm.get())),
      m_opSettingForm(new TopSettingForm(seams, m_currentProfile, setup.places.profileDirectories,
                                         m_generalSettings, setup.places.preferencesPath,
                                         m_mainForm.get())),
      m_settingForm(new TSettingForm(seams, setup.places, m_currentProfile, m_generalSettings,
                                     m_mainForm.get(), m_mainForm->outputFileBox()))
{
    TMainForm& main = *m_mainForm;
    main.attachDialogs(m_aboutForm, m_opSettingForm, m_settingForm);

    m_jobRows = std::make_unique<TaskListRows>(main.taskList());
    m_jobView = std::make_unique<MainWindowJobView>(main, main.controls(), seams.taskbar,
                                                    [&main] { main.closeForJob(); });
    m_jobOutput = std::make_unique<CurrentProfileOutput>(m_currentProfile);
    // How a job ended also reaches a user who is working in another window.
    m_jobMessages =
        std::make_unique<NotifyingMessages>(seams.messages, seams.notifications, [this] {
            return m_jobView->isLocked() && !m_mainForm->isActiveWindow();
        });
    const Seams jobSeams{*m_jobMessages, seams.shell,   seams.dialogs,
                         seams.power,    seams.taskbar, seams.notifications};
    m_job = std::make_unique<JoinJob>(*m_jobView, *m_jobRows, *m_jobOutput, m_generalSettings,
                                      jobSeams, setup.places.encoderPath(),
                                      setup.places.defaultTempDirectory, setup.info.productName);
    m_completionActions =
        std::make_unique<CompletionActions>(*m_jobView, m_generalSettings, jobSeams);
    QObject::connect(m_job.get(), &JoinJob::ended, &main,
                     [this](const JobOutcome& outcome) { m_completionActions->jobEnded(outcome); });
    main.attachJob(m_job.get());
    followFirstVideo(main.taskList());
    auto* summary = new OutputSummaryView(main.taskList(), m_currentProfile, m_generalSettings,
                                          setup.places.preferencesPath, main.outputSummaryLine());
    summary->watch(m_settingForm);
    summary->watch(m_opSettingForm);
    QObject::connect(m_opSettingForm, &TopSettingForm::selectionChanged, summary,
                     &OutputSummaryView::refreshSoon);
    QObject::connect(m_job.get(), &JoinJob::ended, summary, &OutputSummaryView::jobEnded);
    m_outlookJoin = std::make_unique<JoinCheck>(*m_jobRows, *m_jobOutput, m_generalSettings);
    m_copyOutlook = std::make_unique<CopyOutlook>(
        *m_jobRows, *m_jobOutput, *m_outlookJoin, [this] { return m_jobView->outputFileText(); },
        setup.places.encoderPath());
    main.attachOutlook(m_copyOutlook.get(), m_generalSettings);
    summary->follow(*m_copyOutlook);
    auto* tracks =
        new OutputTracksLine(*m_opSettingForm->tracksLine(), m_currentProfile, m_opSettingForm);
    tracks->follow(*m_copyOutlook);
    QObject::connect(m_opSettingForm, &TopSettingForm::selectionChanged, tracks,
                     &OutputTracksLine::refresh);
    tellAboutPreferences(seams.messages, &main, setup.places.preferencesPath,
                         setup.info.productName);
}

Startup::~Startup() = default;

void Startup::followFirstVideo(const TaskListModel& clips)
{
    // "Same as the first video" stands for the size of whichever clip is first now.
    const auto follow = [this, &clips] {
        m_currentProfile.setFirstVideoSize(clips.rowCount() > 0 ? clips.ReadItemData(0).frameSize
                                                                : QString());
    };
    follow(); // the videos of the command line are listed already
    QObject::connect(&clips, &QAbstractItemModel::rowsInserted, m_mainForm.get(), follow);
    QObject::connect(&clips, &QAbstractItemModel::rowsRemoved, m_mainForm.get(), follow);
    QObject::connect(&clips, &QAbstractItemModel::rowsMoved, m_mainForm.get(), follow);
    QObject::connect(&clips, &QAbstractItemModel::modelReset, m_mainForm.get(), follow);
    QObject::connect(&clips, &QAbstractItemModel::layoutChanged, m_mainForm.get(), follow);
}
