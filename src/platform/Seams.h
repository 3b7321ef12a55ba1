#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// The desktop, reached only through these interfaces so that tests can answer in its place.

// The answer to a question asked about each of several things in turn.
enum class AnswerForAll
{
    Yes,
    No,
    YesToAll, // yes, and the same for the rest without asking
    NoToAll,
};

// The program's texts keep the words of its first version, odd spellings included: "Icorrect
// Filename", "The Coversion is canceled.", "The output file is existent. ...", "Are you sure to
// ...", "All Support Files(" and, in the .ui files, "Add Directorys...", "Decription", "Getting
// Start:", "More video converting softwares". Users, the scripts that read a run's messages and
// the tests know them by these words, so they stay as they are.
class Messages
{
public:
    virtual ~Messages() = default;
    // A notice or refusal: information icon, OK.
    virtual void info(QWidget* owner, const QString& caption, const QString& text) = 0;
    // A notice as info() gives it, with a longer text that the user can unfold under it (what
    // the encoder said before a job failed).
    virtual void infoWithDetails(QWidget* owner, const QString& caption, const QString& text,
                                 const QString& details) = 0;
    // A question: question icon, Yes and No; only Yes returns true.
    virtual bool ask(QWidget* owner, const QString& caption, const QString& text) = 0;
    // An error that ended a command: error icon, titled with the application title.
    virtual void error(QWidget* owner, const QString& text) = 0;
    // A window without icon or owner, titled as given.
    virtual void plain(const QString& title, const QString& text) = 0;
    // A failure as infoWithDetails() gives a notice, with the error icon; no details: none to
    // unfold.
    virtual void errorWithDetails(QWidget* owner, const QString& caption, const QString& text,
                                  const QString& details) = 0;
    // A question about one of several things: question icon, Yes, No, Yes to All, No to All.
    virtual AnswerForAll askForAll(QWidget* owner, const QString& caption, const QString& text) = 0;
};

class Shell
{
public:
    virtual ~Shell() = default;
    // Opens a file, folder, web page or "mailto:" address with the desktop's program for it.
    // The result is not examined.
    virtual void open(QWidget* owner, const QString& pathOrUrl) = 0;
};

// Who asks before a save dialog's choice replaces an existing file.
enum class ExistingFileQuestion
{
    Dialog, // the dialog, before it closes
    Caller, // the command that writes the file, when it does
};

// Filters are given in the "description|pattern|description|pattern" form.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // The chosen files in the order the dialog returns them; empty when cancelled.
    virtual QStringList openFiles(QWidget* owner, const QString& filter) = 0;
    // The chosen full file name; empty when cancelled.
    virtual QString saveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                             ExistingFileQuestion question) = 0;
    // The chosen folder; empty when cancelled.
    virtual QString browseForFolder(QWidget* owner, const QString& title) = 0;
    // A one-line text question titled `title`, with `label` above the field and `suggestion`
    // in it; the text given, or nullopt when cancelled.
    virtual std::optional<QString> askText(QWidget* owner, const QString& title,
                                           const QString& label, const QString& suggestion) = 0;
};

class Power
{
public:
    virtual ~Power() = default;
    // Asks the system to turn the computer off; false when it refused.
    virtual bool powerOff() = 0;
};

// The program's entry in the task bar or dock, where the desktop shows one.
class Taskbar
{
public:
    virtual ~Taskbar() = default;
    // A running job's total progress, 0 to 100.
    virtual void showProgress(int percent) = 0;
    // No job runs: the entry shows no progress.
    virtual void clearProgress() = 0;
};

// Desktop notifications: short notes shown whichever window is active.
class Notifications
{
public:
    virtual ~Notifications() = default;
    virtual void notify(const QString& summary, const QString& body) = 0;
};

// The seams the windows receive at construction.
struct Seams
{
    Messages& messages;
    Shell& shell;
    Dialogs& dialogs;
    Power& power;
    Taskbar& taskbar;
    Notifications& notifications;
};
