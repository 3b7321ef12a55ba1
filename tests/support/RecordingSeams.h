#pragma once

#include "platform/Seams.h"

#include <QQueue>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

// Test doubles for the desktop seams: they record every call and answer from a script.

struct RecordedMessage
{
    QString
        kind; // "info", "ask", "askForAll", "error" or "plain"; errorWithDetails records an "error"
    QString caption;
    QString text;
    const QWidget* owner = nullptr;
    QString details{}; // what infoWithDetails unfolds
};

class RecordingMessages : public Messages
{
public:
    QVector<RecordedMessage> shown;
    QQueue<bool> answers; // for ask(); an empty script answers No
    // For askForAll(); when empty, answers gives Yes or No.
    QQueue<AnswerForAll> answersForAll;
    // Runs inside each message, as a user would act while the box is up.
    std::function<void()> whileShown;

    void info(QWidget* owner, const QString& caption, const QString& text) override
    {
        record(QStringLiteral("info"), caption, text, owner);
    }
    // Recorded as an "info" that has details.
    void infoWithDetails(QWidget* owner, const QString& caption, const QString& text,
                         const QString& details) override
    {
        record(QStringLiteral("info"), caption, text, owner, details);
    }
    bool ask(QWidget* owner, const QString& caption, const QString& text) override
    {
        record(QStringLiteral("ask"), caption, text, owner);
        return answers.isEmpty() ? false : answers.dequeue();
    }
    void error(QWidget* owner, const QString& text) override
    {
        record(QStringLiteral("error"), QString(), text, owner);
    }
    void plain(const QString& title, const QString& text) override
    {
        record(QStringLiteral("plain"), title, text);
    }
    void errorWithDetails(QWidget* owner, const QString& caption, const QString& text,
                          const QString& details) override
    {
        record(QStringLiteral("error"), caption, text, owner, details);
    }

    AnswerForAll askForAll(QWidget* owner, const QString& caption, const QString& text) override
    {
        record(QStringLiteral("askForAll"), caption, text, owner);
        if (!answersForAll.isEmpty())
            return answersForAll.dequeue();
        return !answers.isEmpty() && answers.dequeue() ? AnswerForAll::Yes : AnswerForAll::No;
    }

private:
    void record(const QString& kind, const QString& caption, const QString& text,
                const QWidget* owner = nullptr, const QString& details = QString())
    {
        shown.append({kind, caption, text, owner, details});
        if (whileShown)
            whileShown();
    }
};

class RecordingShell : public Shell
{
public:
    QStringList opened;
    void open(QWidget*, const QString& pathOrUrl) override { opened << pathOrUrl; }
};

class RecordingDialogs : public Dialogs
{
public:
    QQueue<QStringList> openAnswers;
    QQueue<QString> saveAnswers;
    QQueue<QString> folderAnswers;
    QStringList filtersSeen;
    QStringList suffixesSeen;                    // the save dialog's default suffixes
    QVector<ExistingFileQuestion> questionsSeen; // who the save dialog left the question to
    QStringList titlesSeen;
    QQueue<QString> textAnswers;            // for askText(); an empty script cancels
    QVector<RecordedMessage> textQuestions; // kind "text", the title, the suggestion, the owner

    QStringList openFiles(QWidget*, const QString& filter) override
    {
        filtersSeen << filter;
        return openAnswers.isEmpty() ? QStringList() : openAnswers.dequeue();
    }
    QString saveFile(QWidget*, const QString& filter, const QString& defaultSuffix,
                     ExistingFileQuestion question) override
    {
        filtersSeen << filter;
        suffixesSeen << defaultSuffix;
        questionsSeen << question;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
    }
    QString browseForFolder(QWidget*, const QString& title) override
    {
        titlesSeen << title;
        return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
    }
    std::optional<QString> askText(QWidget* owner, const QString& title, const QString&,
                                   const QString& suggestion) override
    {
        textQuestions.append({QStringLiteral("text"), title, suggestion, owner});
        if (textAnswers.isEmpty())
            return std::nullopt;
        return textAnswers.dequeue();
    }
};

class RecordingPower : public Power
{
public:
    int powerOffCalls = 0;
    bool answer = true;
    bool powerOff() override
    {
        ++powerOffCalls;
        return answer;
    }
};

class RecordingTaskbar : public Taskbar
{
public:
    // Every percentage shown, and -1 for each clearing.
    QVector<int> shown;
    void showProgress(int percent) override { shown << percent; }
    void clearProgress() override { shown << -1; }
};

class RecordingNotifications : public Notifications
{
public:
    QVector<RecordedMessage> notes; // kind "note"
    void notify(const QString& summary, const QString& body) override
    {
        notes.append({QStringLiteral("note"), summary, body});
    }
};

// All the doubles, ready to hand to the windows.
struct RecordingSeams
{
    RecordingMessages messages;
    RecordingShell shell;
    RecordingDialogs dialogs;
    RecordingPower power;
    RecordingTaskbar taskbar;
    RecordingNotifications notifications;

    Seams seams() { return Seams{messages, shell, dialogs, power, taskbar, notifications}; }
};
