#include "EncoderStep.h"

#include "JobView.h"
#include "platform/Seams.h"

EncoderStep::EncoderStep(EncoderRun& encoder, JobView& view, Messages& messages,
                         QString encoderPath, QString applicationTitle)
    : m_encoder(encoder), m_view(view), m_messages(messages), m_encoderPath(std::move(encoderPath)),
      m_applicationTitle(std::move(applicationTitle))
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
    const EncoderOutcome outcome = m_encoder.run(m_encoderPath, command.arguments, onChunk);
    if (outcome.kind == EncoderOutcome::Kind::FailedToStart)
        m_messages.plain(m_applicationTitle,
                         QStringLiteral("Error. Please re-install ") + m_applicationTitle);
    return outcome;
}
