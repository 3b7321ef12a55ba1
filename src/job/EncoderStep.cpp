#include "EncoderStep.h"

#include "EncoderLog.h"
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
    m_sinceShown.invalidate();
    const auto onChunk = [this, &tracker, showProgress](const QString& chunk) {
        try {
            const bool due =
                !m_sinceShown.isValid() || m_sinceShown.elapsed() >= m_progressIntervalMs;
            const std::function<void()> pumpEvents = [this] { m_view.pumpEvents(); };
            if (!tracker.readChunk(chunk, due ? pumpEvents : nullptr))
                return;
            if (due)
                show(showProgress);
            else
                m_heldBack = showProgress;
        } catch (...) {
        }
    };
    const auto onEnd = [this, arguments = command.arguments](const EncoderOutcome& outcome) {
        if (outcome.kind != EncoderOutcome::Kind::FailedToStart)
            showHeldBack();
        if (m_log)
            m_log->addRun(m_encoderPath, arguments, outcome);
    };
    return encoder.start(m_encoderPath, command.arguments, onChunk, onEnd);
}

void EncoderStep::show(const std::function<void()>& showProgress)
{
    m_heldBack = nullptr;
    m_sinceShown.start();
    showProgress();
}

void EncoderStep::showHeldBack()
{
    try {
        if (m_heldBack)
            show(std::function<void()>(m_heldBack));
    } catch (...) {
    }
}

void EncoderStep::showBars(const BarUpdate& update)
{
    if (update.current)
        m_view.setCurrentBar(*update.current);
    if (update.total)
        m_view.setTotalBar(*update.total);
}
