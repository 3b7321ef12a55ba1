#pragma once

#include "EncoderCommand.h"
#include "EncoderRun.h"
#include "ProgressTracker.h"

class JobView;

// One encoder run of a stage, its "Pos:" reports moving the view's bars.
class EncoderStep
{
public:
    EncoderStep(EncoderRun& encoder, JobView& view, QString encoderPath);

    EncoderOutcome run(const EncoderCommand& command, ProgressTracker& tracker,
                       const RunDurations& durations);

private:
    EncoderRun& m_encoder;
    JobView& m_view;
    QString m_encoderPath;
};
