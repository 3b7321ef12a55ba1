#include "NotifyingMessages.h"

NotifyingMessages::NotifyingMessages(Messages& shown, Notifications& notifications,
                                     std::function<bool()> wanted)
    : m_shown(shown), m_notifications(notifications), m_wanted(std::move(wanted))
{
}

void NotifyingMessages::info(QWidget* owner, const QString& caption, const QString& text)
{
    notifyIfWanted(caption, text);
    m_shown.info(owner, caption, text);
}

void NotifyingMessages::infoWithDetails(QWidget* owner, const QString& caption, const QString& text,
                                        const QString& details)
{
    notifyIfWanted(caption, text);
    m_shown.infoWithDetails(owner, caption, text, details);
}

bool NotifyingMessages::ask(QWidget* owner, const QString& caption, const QString& text)
{
    notifyIfWanted(caption, text);
    return m_shown.ask(owner, caption, text);
}

void NotifyingMessages::error(QWidget* owner, const QString& text)
{
    notifyIfWanted(text, QString());
    m_shown.error(owner, text);
}

void NotifyingMessages::plain(const QString& title, const QString& text)
{
    notifyIfWanted(title, text);
    m_shown.plain(title, text);
}

void NotifyingMessages::errorWithDetails(QWidget* owner, const QString& caption,
                                         const QString& text, const QString& details)
{
    notifyIfWanted(caption, text);
    m_shown.errorWithDetails(owner, caption, text, details);
}

AnswerForAll NotifyingMessages::askForAll(QWidget* owner, const QString& caption,
                                          const QString& text)
{
    notifyIfWanted(caption, text);
    return m_shown.askForAll(owner, caption, text);
}

void NotifyingMessages::notifyIfWanted(const QString& summary, const QString& body)
{
    if (m_wanted())
        m_notifications.notify(summary, body);
}
