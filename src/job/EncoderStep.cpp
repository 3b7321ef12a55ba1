#include "EncoderStep.h"

#include "JobView.h"

EncoderStep::EncoderStep(JobView& view, QString encoderPath)
    : m_view(view), m_encoderPath(std::move(encoderPath))
{
}

bool EncoderStep::start(EncoderRun& encoder, const EncoderCommand& command,
                        ProgressTracker& tracker, const RunDurations& durations,
                        const std::function<void()>& showProgress)
{
    tracker.beginRun(durations);
    const auto onChunk = [this, &tracker, showProgress](const QString& chunk) {
        try {
            if (tracker.readChunk(chunk, [this] { m_view.pumpEvents(); }))
                showProgress();
        } catch (...) {
        }
    };
    return encoder.start(m_encoderPath, command.arguments, onChunk);
}

void EncoderStep::showBars(const BarUpdate& update)
{
    if (update.current)
        m_view.setCurrentBar(*update.current);
    if (update.total)
        m_view.setTotalBar(*update.total);
}
