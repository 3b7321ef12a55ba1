#include "JobClock.h"

#include "JobView.h"
#include "tasks/Durations.h"

#include <cmath>

JobClock::JobClock(JobView& view, QObject* parent) : QObject(parent), m_view(view)
{
    m_timer.setObjectName(QStringLiteral("timerTime"));
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &JobClock::tick);
}

void JobClock::start()
{
    m_elapsed = 0;
    m_remaining = 0;
    m_view.setElapsedText(QString());
    m_view.setRemainingText(QString());
    m_timer.start();
}

void JobClock::stop()
{
    m_timer.stop();
}

void JobClock::tick()
{
    ++m_elapsed;
    m_view.setElapsedText(FormatDuration(m_elapsed));
    if (const int p = m_view.totalBar(); p != 0) {
        const double estimate = m_elapsed / (p / 100.0) - m_elapsed;
        m_remaining = static_cast<qint32>(std::nearbyint(estimate)); // halves to even
    }
    m_view.setRemainingText(FormatDuration(m_remaining));
}
