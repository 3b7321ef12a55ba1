#pragma once

#include "job/JobView.h"
#include "prefs/Preferences.h"

#include <QCoreApplication>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

// The main window as the job sees it, recording what the job shows.
class FakeJobWindow : public JobView, public TaskRows, public JobOutput
{
public:
    struct Row
    {
        QString path;
        double duration = 1;
        QString status = QStringLiteral("OK");
        std::optional<double> inPoint{};
        std::optional<double> outPoint{};
    };

    // Rows
    QVector<Row> rows;
    // Window
    QString outputFile;
    QString title, convertingFile, elapsed, remaining;
    bool convertingFileVisible = true;
    int current = 0, total = 0;
    QVector<int> totalBarHistory;
    // The values the current bar and the file name took, each change once.
    QVector<int> currentBarChanges;
    QStringList convertingFileChanges;
    bool progressPanelShown = false;
    bool locked = false;
    int lockChanges = 0;
    QString focused;
    int closeRequests = 0;
    int pumps = 0;
    std::function<void(int pump)> onPump;
    std::function<void(int row, const QString& status)> onStatus;
    // Settings
    QString extension = QStringLiteral(".avi");
    QString pictureSize = QStringLiteral("320:240");
    QString options = QStringLiteral(" -ovc lavc -oac mp3lame");
    bool bitrateInvalid = false;
    bool copies = false;
    prefs::GeneralSettings general;

    QWidget* owner() override { return nullptr; }
    void setProcessTitle(const QString& t) override { title = t; }
    void setConvertingFile(const QString& name) override
    {
        if (name != convertingFile)
            convertingFileChanges << name;
        convertingFile = name;
    }
    void setConvertingFileVisible(bool v) override { convertingFileVisible = v; }
    void setElapsedText(const QString& t) override { elapsed = t; }
    void setRemainingText(const QString& t) override { remaining = t; }
    int currentBar() const override { return current; }
    void setCurrentBar(int p) override
    {
        if (p != current)
            currentBarChanges << p;
        current = p;
    }
    int totalBar() const override { return total; }
    void setTotalBar(int p) override
    {
        total = p;
        totalBarHistory << p;
    }
    void showProgressPanel(bool show) override { progressPanelShown = show; }
    void setLocked(bool l) override
    {
        locked = l;
        ++lockChanges;
    }
    void focusTaskList() override { focused = QStringLiteral("ltvTask"); }
    void focusOutputFile() override { focused = QStringLiteral("edtOutputFile"); }
    QString outputFileText() const override { return outputFile; }
    void setOutputFileText(const QString& t) override { outputFile = t; }
    void pumpEvents() override
    {
        ++pumps;
        if (onPump)
            onPump(pumps);
        QCoreApplication::processEvents();
    }
    void closeWindow() override { ++closeRequests; }

    int count() const override { return int(rows.size()); }
    JobClip clip(int row) const override
    {
        return {rows[row].path, rows[row].duration, {}, rows[row].inPoint, rows[row].outPoint};
    }
    void setStatus(int row, TaskStatus status) override
    {
        rows[row].status = displayText(status);
        if (onStatus)
            onStatus(row, rows[row].status);
    }
    QStringList statuses() const
    {
        QStringList all;
        for (const Row& row : rows)
            all << row.status;
        return all;
    }

    QString outputExtension() const override { return extension; }
    QString pictureSizeText() const override { return pictureSize; }
    QString encoderOptions() const override { return options; }
    bool audioBitrateInvalid() const override { return bitrateInvalid; }
    bool copiesVideo() const override { return copies; }
};
