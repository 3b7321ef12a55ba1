#pragma once

#include "job/JobOutcome.h"
#include "platform/Seams.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// One tick of the job's progress, as the window's progress panel shows it.
struct ProgressStep
{
    QString title;   // "Converting", "Joining"
    int total = 0;   // percent of the whole job
    int current = 0; // percent of the file being converted
    QString file;    // empty when the panel shows none
    QString elapsed;
    QString remaining;
};

// What --check found the join would do, had it been started.
struct CheckPlan
{
    struct Input
    {
        QString path;
        QString length;      // as the task list shows it, "00:03:07.4"
        double seconds = -1; // -1 when the length is not known
        QString size;        // "640x480"
        // The part taken, in seconds; none: the beginning, the end.
        std::optional<double> inPoint{};
        std::optional<double> outPoint{};
    };
    enum class Video
    {
        Copied,
        OnePass,
        TwoStages
    };
    enum class Existing
    {
        None, // no file there
        Ask,
        Overwrite,
        Rename
    };

    QList<Input> inputs;
    Video video = Video::OnePass;
    QString output;  // with the profile's extension
    QString written; // output, or the name Rename chooses beside it
    Existing existing = Existing::None;
    QString container; // "mp4"
    QString profile;
    QString size;      // "640x480"; empty when the videos' pictures are copied
    QString frameRate; // "30", "First"; empty when copied
};

// How a run ended, for its last words.
struct RunEnd
{
    int exitCode = 0;
    bool checkOnly = false; // --check: nothing was to be joined
    // How the job ended; nothing when it did not run.
    std::optional<JobOutcome> job;
};

// The messages of a run without a window, with the answers a command line gives in advance.
class RunMessages : public Messages
{
public:
    // The questions with this caption are answered No without asking; why tells the reason.
    void answerNo(const QString& caption, std::function<QString()> why)
    {
        m_noCaption = caption;
        m_whyNo = std::move(why);
    }
    // How many questions were asked, answered or not.
    int questionsAsked() const { return m_questionsAsked; }
    // A terminal or a script answers each question on its own.
    AnswerForAll askForAll(QWidget* owner, const QString& caption, const QString& text) override
    {
        return ask(owner, caption, text) ? AnswerForAll::Yes : AnswerForAll::No;
    }

protected:
    // Counts the question; the reason when it is answered No in advance, nothing otherwise.
    std::optional<QString> noInAdvance(const QString& caption)
    {
        ++m_questionsAsked;
        if (m_noCaption.isEmpty() || caption != m_noCaption)
            return std::nullopt;
        return m_whyNo();
    }

private:
    int m_questionsAsked = 0;
    QString m_noCaption;
    std::function<QString()> m_whyNo;
};

// Where a run without a window tells what happens: lines for a person on the terminal, or
// JSON Lines for a program.
class RunReport
{
public:
    virtual ~RunReport() = default;
    virtual RunMessages& messages() = 0;
    virtual void progress(const ProgressStep& step) = 0;
    // The progress panel is hidden: the job is over.
    virtual void progressEnded() = 0;
    // The job completed: the completion message, which the window shows in a box.
    virtual void completed(const JobOutcome& outcome) = 0;
    virtual void plan(const CheckPlan& plan) = 0;
    // The last thing a run reports; not for wrong usage, which is told before anything runs.
    virtual void end(const RunEnd& end) = 0;
};
