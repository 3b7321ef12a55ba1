#pragma once

#include "RunReport.h"

class Console;

// The job's messages on the terminal: "caption: text" on standard error (the text alone when it
// has no caption). A question is asked where standard input is a terminal; without one it is
// refused, and the run ends as refused.
class ConsoleMessages : public RunMessages
{
public:
    explicit ConsoleMessages(Console& console) : m_console(console) {}

    void info(QWidget* owner, const QString& caption, const QString& text) override;
    void infoWithDetails(QWidget* owner, const QString& caption, const QString& text,
                         const QString& details) override;
    bool ask(QWidget* owner, const QString& caption, const QString& text) override;
    void error(QWidget* owner, const QString& text) override;
    void plain(const QString& title, const QString& text) override;
    void errorWithDetails(QWidget* owner, const QString& caption, const QString& text,
                          const QString& details) override;

private:
    Console& m_console;
};

// A run without a window has no desktop: nothing is opened, no dialog shown, the computer stays
// on, and no task-bar entry or notification shows.
class NoDesktop : public Shell, public Dialogs, public Power, public Taskbar, public Notifications
{
public:
    void open(QWidget*, const QString&) override {}
    QStringList openFiles(QWidget*, const QString&) override { return {}; }
    QString saveFile(QWidget*, const QString&, const QString&, ExistingFileQuestion) override
    {
        return {};
    }
    QString browseForFolder(QWidget*, const QString&) override { return {}; }
    std::optional<QString> askText(QWidget*, const QString&, const QString&,
                                   const QString&) override
    {
        return std::nullopt;
    }
    bool powerOff() override { return false; }
    void showProgress(int) override {}
    void clearProgress() override {}
    void notify(const QString&, const QString&) override {}
};
