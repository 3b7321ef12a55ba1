#pragma once

#include "app/ProgramInfo.h"
#include "platform/Seams.h"
#include "tasks/ColumnWidths.h"
#include "tasks/TaskListModel.h"

#include <QMainWindow>
#include <QStringList>
#include <memory>

namespace Ui {
class TMainForm;
}
class QMenu;
class DialogJobSettings;
class JoinJob;
class MainWindowJobView;
class TaskListEditor;
class TaskListRows;
class TAboutForm;
class TopSettingForm;
class TSettingForm;

class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    // executablePath fixes the program directory, where every companion file is looked up;
    // arguments are the command line without the program name: files and folders to add.
    TMainForm(Seams seams, const QString& executablePath, const QStringList& arguments = {},
              QWidget* parent = nullptr);
    ~TMainForm() override;

    // The dialogs are created after the main window; start-up hands them over once they exist.
    void attachDialogs(TAboutForm* about, TopSettingForm* outputSettings, TSettingForm* settings);

    const ProgramInfo& programInfo() const { return m_info; }

    // The task rows: ReadItemData, WriteItemData (the status through selector 2), rowCount.
    TaskListModel& taskList() { return m_taskList; }
    // The job's lock on the list: while disabled it takes no clicks, keys or drops.
    void setTaskListEnabled(bool enabled);
    bool isTaskListEnabled() const;

    // The join job behind Start and Stop; it exists once the dialogs are attached.
    JoinJob* job() const { return m_job.get(); }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate(const QString& executablePath, const QStringList& arguments);
    void setUpToolBar();
    void setUpTaskList();
    void setUpBottomStrip();
    void setUpPictures();
    void fillProfileBox();

    void FormShow();
    void LoadMainPreferences();
    void SaveMainPreferences();
    QString selectedProfilePath() const;

    void cmbProfileChange();
    void bbtnBrowserClick();
    void bbtnOpenClick();
    void tbtnHelpClick();
    void tbtnStartClick();
    void tbtnStopClick();
    void jobFinished();

    void tbtnAddDirClick();
    void ltvTaskDblClick();
    void ppmTaskPopup();
    bool ltvTaskKeyDown(int key);
    void ltvTaskResize(int newWidth);
    void labCompanyClick();
    void setTaskButtonsEnabled(bool enabled);

    Seams m_seams;
    ProgramInfo m_info;
    TaskListModel m_taskList;
    ColumnWidths m_columnWidths;
    std::unique_ptr<Ui::TMainForm> ui;
    std::unique_ptr<TaskListEditor> m_taskListEditor;
    QMenu* ppmTask = nullptr;
    TAboutForm* m_aboutForm = nullptr;
    TopSettingForm* m_opSettingForm = nullptr;
    TSettingForm* m_settingForm = nullptr;

    std::unique_ptr<TaskListRows> m_jobRows;
    std::unique_ptr<MainWindowJobView> m_jobView;
    std::unique_ptr<DialogJobSettings> m_jobSettings;
    std::unique_ptr<JoinJob> m_job;
    bool m_shownOnce = false;
    // Closing during a job waits for its end; a job that ends the program closes at once.
    bool m_closeWhenJobEnds = false;
    bool m_jobClosesWindow = false;
};
