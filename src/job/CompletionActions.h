#pragma once

#include "platform/Seams.h"

struct JobOutcome;
class JobView;

namespace prefs {
struct GeneralSettings;
}

// What the window does once a job has completed, as the General Settings ask: turn the
// computer off and close, close, or show the completion and open the output's folder.
class CompletionActions
{
public:
    // settings: read at each completion; outlive this.
    CompletionActions(JobView& view, const prefs::GeneralSettings& settings, Seams seams)
        : m_view(view), m_settings(settings), m_seams(seams)
    {
    }

    // Nothing for a job that did not complete.
    void jobEnded(const JobOutcome& outcome);

private:
    JobView& m_view;
    const prefs::GeneralSettings& m_settings;
    Seams m_seams;
};
