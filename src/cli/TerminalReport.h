#pragma once

#include "ConsoleSeams.h"
#include "RunReport.h"

class Console;

// A run told to a person: the progress line and the messages on standard error (the completion
// left out when quiet), and on standard output only the result, the path written or the plan
// --check found.
class TerminalReport : public RunReport
{
public:
    explicit TerminalReport(Console& console) : m_console(console), m_messages(console) {}

    RunMessages& messages() override { return m_messages; }
    void progress(const ProgressStep& step) override;
    void progressEnded() override;
    void completed(const JobOutcome& outcome) override;
    void plan(const CheckPlan& plan) override;
    void end(const RunEnd& end) override;

private:
    Console& m_console;
    ConsoleMessages m_messages;
};
