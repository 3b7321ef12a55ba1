#pragma once

#include "platform/Seams.h"
#include "program/ProgramInfo.h"
#include "program/ProgramPlaces.h"
#include "tasks/ColumnWidths.h"
#include "tasks/TaskListModel.h"

#include <QMainWindow>
#include <QStringList>
#include <memory>

namespace Ui {
class TMainForm;
}
class QLabel;
class QMenu;
class ClosingDuringJob;
class CopyOutlook;
class JoinJob;
class TaskListColumns;
class TaskListEditor;
class PreviewDialog;
class TAboutForm;
class TopSettingForm;
class TSettingForm;
struct OutputFileBox;
namespace prefs {
struct GeneralSettings;
}

class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    // arguments: the command line without the program name, files and folders to add; relative
    // ones are taken from workingDirectory, the folder the program was started in.
    TMainForm(Seams seams, const ProgramInfo& info, const ProgramPlaces& places,
              const QStringList& arguments = {}, const QString& workingDirectory = {});
    ~TMainForm() override;

    // The dialogs and the job are made after the main window; start-up hands them over.
    void attachDialogs(TAboutForm* about, TopSettingForm* outputSettings, TSettingForm* settings);
    void attachJob(JoinJob* job);
    // The line under the task list and the rows' marks show what the outlook finds. settings:
    // the General Settings the outlook's join reads, which the line's link may change.
    void attachOutlook(CopyOutlook* outlook, prefs::GeneralSettings& settings);

    const ProgramInfo& programInfo() const { return m_info; }
    const ProgramPlaces& places() const { return m_places; }

    // The controls, for the job view that shows a running job in them.
    Ui::TMainForm& controls() { return *ui; }
    // The output file box as the General Settings dialog shares it.
    OutputFileBox outputFileBox();
    // A completed job ends the program: the window closes at once, job or not.
    void closeForJob();

    // The task rows: ReadItemData, setStatus, rowCount.
    TaskListModel& taskList() { return m_taskList; }
    // The line beside the output file that tells what Start would make.
    QLabel* outputSummaryLine() const;
    // The job's lock on the list: while disabled it takes no clicks, keys or drops.
    void setTaskListEnabled(bool enabled);
    bool isTaskListEnabled() const;

    // The join job behind Start and Stop, once attached.
    JoinJob* job() const { return m_job; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate(const QStringList& arguments, const QString& workingDirectory);
    void setUpToolBar();
    void setUpTaskList();
    void setUpSorting();
    void setUpBottomStrip();
    void setUpPictures();
    void fillProfileBox();

    void FormShow();
    void LoadMainPreferences();
    void SaveMainPreferences();

    void cmbProfileChange();
    // Lists the profiles again and selects the one just saved under that name.
    void selectSavedProfile(const QString& name);
    // The profile chosen in the profile box, or where a profile of the box's empty text would
    // be when none is chosen.
    QString selectedProfilePath() const;
    void bbtnBrowserClick();
    void bbtnOpenClick();
    void tbtnHelpClick();
    void tbtnStartClick();
    void startJob();
    void tbtnStopClick();
    void jobFinished();

    void tbtnAddDirClick();
    void ltvTaskDblClick();
    void previewSelected();
    void ppmTaskPopup();
    bool ltvTaskKeyDown(int key);
    void ltvTaskResize(int newWidth);
    void placeGettingStarted();
    void fitToScreen();
    void labCompanyClick();
    void setTaskButtonsEnabled(bool enabled);

    Seams m_seams;
    ProgramInfo m_info;
    ProgramPlaces m_places;
    TaskListModel m_taskList;
    ColumnWidths m_columnWidths;
    std::unique_ptr<Ui::TMainForm> ui;
    std::unique_ptr<TaskListEditor> m_taskListEditor;
    QMenu* ppmTask = nullptr;
    QAction* m_sortByDateTaken = nullptr;
    QAction* m_previewAction = nullptr;
    QAction* m_clearPointsAction = nullptr;
    int m_previewRow = -1;
    // Made at the first preview: it keeps a decoding thread.
    PreviewDialog* m_previewDialog = nullptr;
    TaskListColumns* m_columns = nullptr;
    TAboutForm* m_aboutForm = nullptr;
    TopSettingForm* m_opSettingForm = nullptr;
    TSettingForm* m_settingForm = nullptr;
    JoinJob* m_job = nullptr;
    std::unique_ptr<ClosingDuringJob> m_closingDuringJob;

    bool m_shownOnce = false;
    // Files of the command line that are no videos: told once the window shows.
    QString m_commandLineProbeErrors;
    // Start was pressed; the job begins once the press has returned.
    bool m_startQueued = false;
    // A job that ends the program closes the window at once.
    bool m_jobClosesWindow = false;
};
