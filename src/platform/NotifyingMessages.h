#pragma once

#include "Seams.h"

#include <functional>

// Messages that are also sent as a desktop notification while `wanted` says so, so that the end
// of a job reaches a user who is working in another window. The message box is shown as always.
class NotifyingMessages : public Messages
{
public:
    NotifyingMessages(Messages& shown, Notifications& notifications, std::function<bool()> wanted);

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
    // Before the box: the box itself becomes the active window.
    void notifyIfWanted(const QString& summary, const QString& body);

    Messages& m_shown;
    Notifications& m_notifications;
    std::function<bool()> m_wanted;
};
