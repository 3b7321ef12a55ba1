#pragma once

#include "job/JobView.h"
#include "platform/Seams.h"

#include <functional>

namespace Ui {
class TMainForm;
}
class QMainWindow;

// The main window's progress panel, toolbar lock and output file box as the job sees them. While
// the window is locked for a job, the total progress shows on the task-bar entry too.
class MainWindowJobView : public JobView
{
public:
    // closeWindow runs when a completed job asks the program to end.
    MainWindowJobView(QMainWindow& window, Ui::TMainForm& ui, Taskbar& taskbar,
                      std::function<void()> closeWindow);

    bool isLocked() const { return m_locked; }

    QWidget* owner() override;
    void setProcessTitle(const QString& title) override;
    void setConvertingFile(const QString& name) override;
    void setConvertingFileVisible(bool visible) override;
    void setElapsedText(const QString& text) override;
    void setRemainingText(const QString& text) override;
    int currentBar() const override;
    void setCurrentBar(int position) override;
    int totalBar() const override;
    void setTotalBar(int position) override;
    void showProgressPanel(bool show) override;
    void setLocked(bool locked) override;
    void focusTaskList() override;
    void focusOutputFile() override;
    QString outputFileText() const override;
    void setOutputFileText(const QString& text) override;
    void pumpEvents() override;
    void closeWindow() override;

private:
    QMainWindow& m_window;
    Ui::TMainForm& ui;
    Taskbar& m_taskbar;
    std::function<void()> m_closeWindow;
    bool m_locked = false;
};
