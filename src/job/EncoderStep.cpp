#include "EncoderStep.h"

#include "JobView.h"

EncoderStep::EncoderStep(EncoderRun& encoder, JobView& view, QString encoderPath)
    : m_encoder(encoder), m_view(view), m_encoderPath(std::move(encoderPath))
{
}

EncoderOutcome EncoderStep::run(const EncoderCommand& command, ProgressTracker& tracker,
                                const RunDurations& durations)
{
    tracker.beginRun(durations);
    const auto onChunk = [&](const QString& chunk) {
        // A failure to show progress must never end the run.
        try {
            const auto update = tracker.onChunk(chunk, [this] { m_view.pumpEvents(); });
            if (!update)
                return;
            if (update->current)
                m_view.setCurrentBar(*update->current);
            if (update->total)
                m_view.setTotalBar(*update->total);
        } catch (...) {
        }
    };
    return m_encoder.run(m_encoderPath, command.arguments, onChunk);
}
