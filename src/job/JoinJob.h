#pragma once

#include "EncoderCheck.h"
#include "EncoderLog.h"
#include "EncoderRuns.h"
#include "EncoderStep.h"
#include "JobClock.h"
#include "JobContext.h"
#include "JoinStage.h"
#include "ResultCheck.h"
#include "StageOutcome.h"
#include "platform/Seams.h"

#include <QObject>

#include <functional>

class JobFolder;

// What Start and Stop do: the checks of Start, the window lock, the conversion stage and then
// the join stage, or the join stage alone in one pass over the original inputs, which is also
// how a copy joins them. Start returns when the job is over; meanwhile events are handled inside
// it, which is how Stop and the clock reach a running job. The stages report how they ended; the
// job alone turns that into what the user sees. Every encoder run is written to the job's
// encoder log in its folder; a failed job keeps the log there, and its message shows the log.
class JoinJob : public QObject
{
    Q_OBJECT

public:
    // How the last Start ended.
    enum class End
    {
        Refused, // a check or a question kept the job from starting
        Completed,
        Stopped,
        Failed
    };

    // defaultTempDirectory: used when the temporary folder of the settings cannot be.
    // output and settings: the current profile's part and the General Settings, read when the
    // job needs them; both outlive the job.
    JoinJob(JobView& view, TaskRows& rows, const JobOutput& output,
            const prefs::GeneralSettings& settings, Seams seams, const QString& encoderPath,
            const QString& defaultTempDirectory, const QString& productName,
            QObject* parent = nullptr);

    // The checks, the window lock and the stages; returns when the job is over.
    void start();
    // The checks of Start up to the question before overwriting, which only Start asks; a
    // refusal is shown as Start shows it. Nothing is made. Passing gives the output file the
    // profile's extension, as Start does.
    bool check();
    // A copy always joins the originals in one pass.
    bool joinsInOnePass() const;
    // The file the join writes: the output file, or the name beside it that Rename chooses.
    QString writtenPath() const;
    // The profile's picture size with the General Settings' shape and frame rate.
    PictureRules pictureRules() const;
    // Ends a running job: its encoders are terminated, and the stage that notices cleans up.
    void stop();
    // Stop for a window that closes once the job is over: its end is shown by no message.
    void stopForClosing();

    // How many conversions may run side by side; the machine's cores unless set.
    void setConversionRunsAtOnce(int runs) { m_conversionRunsAtOnce = runs; }
    // How often at most the progress is shown while an encoder runs; 0: at every chunk parsed.
    void setProgressInterval(int milliseconds) { m_step.setProgressInterval(milliseconds); }

    RunState runState() const { return m_runState; }
    // The encoder log the last Start kept because the job failed; empty when it kept none.
    QString keptLogPath() const { return m_keptLogPath; }
    End lastEnd() const { return m_lastEnd; }
    // What the check of the last completed join found wrong with it; empty for a good one.
    QString lastRemark() const { return m_lastRemark; }
    // What that check measured; nothing before a join completed.
    const std::optional<ResultCheck::Figures>& lastCheck() const { return m_lastCheck; }
    // The path written by the last completed job (a renamed one when Rename is chosen); empty
    // otherwise.
    QString lastOutputPath() const { return m_lastOutputPath; }
    // Each encoder run, its command line and what the encoder said, as it ends; none when unset.
    void setRunEcho(std::function<void(const QString&)> echo) { m_runEcho = std::move(echo); }
    // Start is running: the window is locked.
    bool isBusy() const { return m_busy; }
    JobClock& clock() { return m_clock; }

signals:
    // The job is over and the window unlocked.
    void finished();

private:
    enum class Stage
    {
        Conversion,
        Join
    };

    bool checkOutputFile();
    bool checkProfileValues();
    // The output file as the join would write it: no line break (it could not be stored in
    // the preferences) and none of the inputs.
    bool checkOutputIsSafe();
    // The encoder takes the join's command line (asked with nothing made yet); a refusal shows
    // its reason, and videos that a copy cannot join the difference the encoder found. No answer
    // is no refusal: the job then finds out as it goes.
    bool checkEncoderTakesTheJoin();
    void refuse(const QString& caption, const QString& text, bool focusOutputFile);
    // The failure message, with the kept log's path and last lines to unfold when there is one.
    void showFailure(const QString& text);
    void runStages(JobFolder& folder, bool onePass);
    // The join this job runs: a copy of the originals, or one pass over them, or the
    // intermediates in jobFolder.
    JoinPlan joinPlan(const QString& jobFolder) const;
    // The one place where a job ends: statuses, message, job folder, clock, panels, run state.
    void endJob(Stage stage, const StageOutcome& outcome, JobFolder& folder,
                const JoinResult& joined = {});
    void complete(const JoinResult& joined, JobFolder& folder);
    // "The joining is completed successfully.", a sentence on the output when the check finds
    // it shorter or longer than the videos together, its sound apart from its picture or its
    // picture unlike the videos' (kept as the last remark), and one naming the inputs whose
    // sound was replaced by silence; and when the output existed and the join took another
    // name, which.
    QString completionText(const JoinResult& joined);

    JobView& m_view;
    TaskRows& m_rows;
    const JobOutput& m_output;
    const prefs::GeneralSettings& m_settings;
    Seams m_seams;
    QString m_defaultTempDirectory;
    QString m_productName;
    EncoderCheck m_encoderCheck;
    EncoderRuns m_encoders;
    EncoderStep m_step;
    int m_conversionRunsAtOnce;
    JobClock m_clock;
    EncoderLog m_log;
    QString m_keptLogPath;
    QString m_lastRemark;
    std::optional<ResultCheck::Figures> m_lastCheck;
    QString m_lastOutputPath;
    std::function<void(const QString&)> m_runEcho;
    RunState m_runState = RunState::Idle;
    End m_lastEnd = End::Refused;
    bool m_busy = false;
    // The window closes after the job: how it ended is not told.
    bool m_endsUntold = false;
};
