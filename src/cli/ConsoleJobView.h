#pragma once

#include "job/JobView.h"

#include <functional>

class RunReport;

// The job's view in a run without a window: each tick of the job's clock reported as a progress
// step, with the total and current percentages, the elapsed and remaining time and the file
// being converted.
class ConsoleJobView : public JobView
{
public:
    // locked runs when the job locks its view, just before its stages run.
    ConsoleJobView(RunReport& report, const QString& outputFile, std::function<void()> locked);

    QWidget* owner() override { return nullptr; }
    void setProcessTitle(const QString& title) override { m_title = title; }
    void setConvertingFile(const QString& name) override { m_file = name; }
    void setConvertingFileVisible(bool visible) override { m_fileVisible = visible; }
    void setElapsedText(const QString& text) override { m_elapsed = text; }
    void setRemainingText(const QString& text) override;
    int currentBar() const override { return m_currentBar; }
    void setCurrentBar(int position) override { m_currentBar = position; }
    int totalBar() const override { return m_totalBar; }
    void setTotalBar(int position) override { m_totalBar = position; }
    void showProgressPanel(bool show) override;
    void setLocked(bool locked) override;
    void focusTaskList() override {}
    void focusOutputFile() override {}
    QString outputFileText() const override { return m_outputFile; }
    void setOutputFileText(const QString& text) override { m_outputFile = text; }
    void pumpEvents() override;
    // No window to close: the run ends when the job is over.
    void closeWindow() override {}

private:
    RunReport& m_report;
    QString m_outputFile;
    std::function<void()> m_locked;
    QString m_title;
    QString m_file;
    bool m_fileVisible = false;
    QString m_elapsed;
    int m_currentBar = 0;
    int m_totalBar = 0;
};
