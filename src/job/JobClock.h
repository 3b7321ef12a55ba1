#pragma once

#include <QObject>
#include <QTimer>

class JobView;

// The once-a-second clock of a join job: elapsed time, and the remaining time estimated from
// the total bar.
class JobClock : public QObject
{
    Q_OBJECT

public:
    explicit JobClock(JobView& view, QObject* parent = nullptr);

    // Both counts to 0, both labels empty until the first tick.
    void start();
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

    // One tick: elapsed + 1; remaining = round(elapsed / (p / 100) - elapsed) for a total bar
    // at p, kept while p is 0.
    void tick();

private:
    JobView& m_view;
    QTimer m_timer;
    qint32 m_elapsed = 0;
    qint32 m_remaining = 0;
};
