#pragma once

#include "EncoderRun.h"

#include <memory>
#include <vector>

// The job's encoder processes, one for each run that may go on at once, and the one place where
// the GUI thread waits for them: a nested event loop, so that Stop, the clock and repainting run
// meanwhile.
class EncoderRuns
{
public:
    EncoderRuns();

    // At least `count` runs exist; made once, kept for later jobs.
    void reserve(int count);
    int size() const { return int(m_runs.size()); }
    EncoderRun& at(int index) { return *m_runs.at(index); }

    // Returns once one of the active runs has exited (at once when one already has, or when none
    // is active).
    void waitForAnyExit();
    // Returns once no run is active any more; the runs that exit meanwhile are finished here.
    void finishAll();
    // Kills every running encoder: the user's Stop, or a failure that ends the others.
    void terminateAll();

private:
    std::vector<std::unique_ptr<EncoderRun>> m_runs;
};
