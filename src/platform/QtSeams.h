#pragma once

#include "Seams.h"

// The seams on a real desktop.

class QtMessages : public Messages
{
public:
    // applicationTitle: the caption of error boxes.
    explicit QtMessages(QString applicationTitle) : m_applicationTitle(std::move(applicationTitle))
    {
    }

    void info(QWidget* owner, const QString& caption, const QString& text) override;
    void infoWithDetails(QWidget* owner, const QString& caption, const QString& text,
                         const QString& details) override;
    bool ask(QWidget* owner, const QString& caption, const QString& text) override;
    void error(QWidget* owner, const QString& text) override;
    void plain(const QString& title, const QString& text) override;
    void errorWithDetails(QWidget* owner, const QString& caption, const QString& text,
                          const QString& details) override;
    AnswerForAll askForAll(QWidget* owner, const QString& caption, const QString& text) override;

private:
    QString m_applicationTitle;
};

class QtShell : public Shell
{
public:
    void open(QWidget* owner, const QString& pathOrUrl) override;
};

// Qt's file dialogs, each opening in the folder of the last choice made in any of them.
class QtDialogs : public Dialogs
{
public:
    // Without a preferences path the dialogs remember nothing.
    explicit QtDialogs(QString preferencesPath = QString());
    QStringList openFiles(QWidget* owner, const QString& filter) override;
    QString saveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                     ExistingFileQuestion question) override;
    QString browseForFolder(QWidget* owner, const QString& title) override;
    std::optional<QString> askText(QWidget* owner, const QString& title, const QString& label,
                                   const QString& suggestion) override;

private:
    QString m_preferencesPath;
};

// Power-off through logind, which asks the user for authorisation where the policy wants it.
class LogindPower : public Power
{
public:
    bool powerOff() override;
};

// The task-bar entry's progress through the com.canonical.Unity.LauncherEntry signal on the
// session bus, which KDE Plasma, Ubuntu's dock and others follow. Without a session bus or a
// listener nothing happens.
class LauncherEntryTaskbar : public Taskbar
{
public:
    // desktopFileName: the program's .desktop file, whose entry shows the progress.
    explicit LauncherEntryTaskbar(const QString& desktopFileName);
    void showProgress(int percent) override;
    void clearProgress() override;

private:
    void update(int percent);

    QString m_appUri;
    int m_shown = -1; // the percentage last sent; -1 while none is shown
};

// Notifications through org.freedesktop.Notifications on the session bus; the reply is not
// awaited, so a desktop without a notification service costs nothing.
class FreedesktopNotifications : public Notifications
{
public:
    // desktopEntry: the .desktop file's name without ".desktop", also the icon's name.
    FreedesktopNotifications(QString applicationName, QString desktopEntry);
    void notify(const QString& summary, const QString& body) override;

private:
    QString m_applicationName;
    QString m_desktopEntry;
};
