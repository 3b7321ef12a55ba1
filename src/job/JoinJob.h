#pragma once

#include "EncoderCheck.h"
#include "EncoderLog.h"
#include "EncoderRuns.h"
#include "EncoderStep.h"
#include "JobClock.h"
#include "JobContext.h"
#include "JobOutcome.h"
#include "JoinCheck.h"
#include "JoinStage.h"
#include "ResultCheck.h"
#include "StageOutcome.h"
#include "platform/Seams.h"

#include <QElapsedTimer>
#include <QObject>

#include <functional>

class JobFolder;

// What Start and Stop do: the checks of Start, the window lock, the conversion stage and then
// the join stage, or the join stage alone in one pass over the original inputs, which is also
// how a copy joins them. Start returns when the job is over; meanwhile events are handled inside
// it, which is how Stop and the clock reach a running job. The stages report how they ended; the
// job turns that into the rows' statuses and the message of a stop or a failure, and reports
// its outcome, on which the front end decides what follows a completed job. Every encoder run is
// written to the job's encoder log in its folder; a failed job keeps the log there, and its
// message shows the log.
class JoinJob : public QObject
{
    Q_OBJECT

public:
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
    // Each encoder run, its command line and what the encoder said, as it ends; none when unset.
    void setRunEcho(std::function<void(const QString&)> echo) { m_runEcho = std::move(echo); }
    // Start is running: the window is locked.
    bool isBusy() const { return m_busy; }
    JobClock& clock() { return m_clock; }

signals:
    // How the job that ran ended, once its rows and message show it and while the window is
    // still locked; not for a job that a check or a question kept from starting.
    void ended(const JobOutcome& outcome);
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
    void showFailure(const QString& text, const QString& keptLogPath);
    void runStages(JobFolder& folder, bool onePass);
    // The one place where a job ends: statuses, message, job folder, clock, panels, run state.
    void endJob(Stage stage, const StageOutcome& outcome, JobFolder& folder,
                const JoinResult& joined = {});
    void complete(const JoinResult& joined, JobFolder& folder);
    // What the check of the joined video finds: its length against the videos together, its
    // sound against its picture, its picture against the videos'.
    void checkResult(const JoinResult& joined, JobOutcome& outcome) const;

    JobView& m_view;
    TaskRows& m_rows;
    const JobOutput& m_output;
    const prefs::GeneralSettings& m_settings;
    Seams m_seams;
    QString m_defaultTempDirectory;
    QString m_productName;
    // The join this job runs and checks first.
    JoinCheck m_joinCheck;
    EncoderCheck m_encoderCheck;
    EncoderRuns m_encoders;
    EncoderStep m_step;
    int m_conversionRunsAtOnce;
    JobClock m_clock;
    QElapsedTimer m_runTime;
    EncoderLog m_log;
    std::function<void(const QString&)> m_runEcho;
    RunState m_runState = RunState::Idle;
    bool m_busy = false;
    // The window closes after the job: how it ended is not told.
    bool m_endsUntold = false;
};
