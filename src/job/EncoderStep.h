#pragma once

#include "EncoderCommand.h"
#include "EncoderRun.h"
#include "ProgressTracker.h"

class JobView;
class Messages;

// One encoder run of a stage, its "Pos:" reports moving the view's bars.
class EncoderStep
{
public:
    EncoderStep(EncoderRun& encoder, JobView& view, Messages& messages, QString encoderPath,
                QString applicationTitle);

    // Shows "Error. Please re-install Vantomel" when the encoder cannot be started.
    EncoderOutcome run(const EncoderCommand& command, ProgressTracker& tracker,
                       const RunDurations& durations);

private:
    EncoderRun& m_encoder;
    JobView& m_view;
    Messages& m_messages;
    QString m_encoderPath;
    QString m_applicationTitle;
};
