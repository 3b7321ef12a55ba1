#pragma once

#include "EncoderCommand.h"
#include "EncoderRun.h"
#include "ProgressTracker.h"

#include <QElapsedTimer>
#include <functional>

class EncoderLog;
class JobView;

// Starts the encoder runs of the stages: each chunk the encoder writes moves a tracker, and the
// progress is shown from the chunks parsed, at most once an interval. Every run that ends is
// written to the job's encoder log.
class EncoderStep
{
public:
    // The encoder writes a status line for every picture, hundreds a second; drawing each one
    // slowed the encoder it shares the processor with.
    static constexpr int kProgressIntervalMs = 100;

    EncoderStep(JobView& view, QString encoderPath);

    // Every chunk moves the tracker. The progress is shown, after pending events are handled as
    // the tracker's rules say, for the first chunk parsed since a run started and then at most
    // once an interval; a position held back is shown when the run ends. A failure to show
    // progress never ends the run. False when the encoder could not be started.
    bool start(EncoderRun& encoder, const EncoderCommand& command, ProgressTracker& tracker,
               const RunDurations& durations, const std::function<void()>& showProgress);

    // The bars that the update names; the others stay.
    void showBars(const BarUpdate& update);

    // 0: every chunk parsed is shown.
    void setProgressInterval(int milliseconds) { m_progressIntervalMs = milliseconds; }
    // The log the runs are written to; it outlives them.
    void setLog(EncoderLog& log) { m_log = &log; }

private:
    void show(const std::function<void()>& showProgress);
    void showHeldBack();

    JobView& m_view;
    QString m_encoderPath;
    EncoderLog* m_log = nullptr;
    int m_progressIntervalMs = kProgressIntervalMs;
    // Since the progress was last shown; invalid when a run has started since.
    QElapsedTimer m_sinceShown;
    // The progress of a chunk parsed and not yet shown.
    std::function<void()> m_heldBack;
};
