#include "EncoderRuns.h"

#include <QEventLoop>
#include <algorithm>

EncoderRuns::EncoderRuns()
{
    reserve(1);
}

void EncoderRuns::reserve(int count)
{
    while (size() < count)
        m_runs.push_back(std::make_unique<EncoderRun>());
}

void EncoderRuns::waitForAnyExit()
{
    const auto any = [this](bool (EncoderRun::*state)() const) {
        return std::any_of(m_runs.begin(), m_runs.end(),
                           [state](const auto& run) { return (run.get()->*state)(); });
    };
    QEventLoop loop; // its connections go with it
    for (const auto& run : m_runs)
        QObject::connect(run.get(), &EncoderRun::exited, &loop, &QEventLoop::quit);
    if (!any(&EncoderRun::hasExited) && any(&EncoderRun::isRunning))
        loop.exec();
}

void EncoderRuns::finishAll()
{
    for (;;) {
        for (const auto& run : m_runs)
            if (run->hasExited())
                run->finish();
        if (std::none_of(m_runs.begin(), m_runs.end(),
                         [](const auto& run) { return run->isActive(); }))
            return;
        waitForAnyExit();
    }
}

void EncoderRuns::terminateAll()
{
    for (const auto& run : m_runs)
        run->terminate();
}
