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
class TaskListEditor;
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

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(const QString& executablePath, const QStringList& arguments);
    void setUpToolBar();
    void setUpTaskList();

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
};
