#pragma once

#include "EncoderCommand.h"
#include "EncoderRun.h"
#include "ProgressTracker.h"

#include <functional>

class JobView;

// Starts the encoder runs of the stages: each chunk the encoder writes moves a tracker, and each
// chunk parsed shows the progress.
class EncoderStep
{
public:
    EncoderStep(JobView& view, QString encoderPath);

    // showProgress runs after every parsed chunk; a failure to show progress never ends the run.
    // False when the encoder could not be started.
    bool start(EncoderRun& encoder, const EncoderCommand& command, ProgressTracker& tracker,
               const RunDurations& durations, const std::function<void()>& showProgress);

    // The bars that the update names; the others stay.
    void showBars(const BarUpdate& update);

private:
    JobView& m_view;
    QString m_encoderPath;
};
