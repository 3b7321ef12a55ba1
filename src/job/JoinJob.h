#pragma once

#include "EncoderRun.h"
#include "EncoderStep.h"
#include "JobClock.h"
#include "JobContext.h"

#include <QObject>

// What Start and Stop do: the checks of Start, the window lock, the conversion stage and then
// the join stage. Start returns when the job is over; meanwhile events are handled inside it,
// which is how Stop and the clock reach a running job.
class JoinJob : public QObject
{
    Q_OBJECT

public:
    // defaultTempDirectory: used when the temporary folder of the settings cannot be.
    JoinJob(JobView& view, TaskRows& rows, JobSettings& settings, Seams seams,
            const QString& encoderPath, const QString& defaultTempDirectory,
            const QString& productName, QObject* parent = nullptr);

    void tbtnStartClick();
    void tbtnStopClick();

    qint32 runState() const { return m_runState; }
    // Start is running: the window is locked.
    bool isBusy() const { return m_busy; }
    JobClock& clock() { return m_clock; }

signals:
    // The job is over and the window unlocked.
    void finished();

private:
    bool checkOutputFile();
    // The temporary folder ready for use, or empty when neither the setting nor the default
    // temporary folder can be created and written.
    QString prepareTempDirectory() const;
    void runStages(const QString& tempDirectory);

    JobView& m_view;
    TaskRows& m_rows;
    JobSettings& m_settings;
    Seams m_seams;
    QString m_defaultTempDirectory;
    EncoderRun m_encoder;
    EncoderStep m_step;
    JobClock m_clock;
    qint32 m_runState = RunState::Idle;
    bool m_busy = false;
};
