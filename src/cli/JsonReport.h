#pragma once

#include "RunReport.h"

// The job's messages as "message" events. No question is asked, as a program reads the output:
// each is answered No (-y answers the one before overwriting in advance).
class JsonMessages : public RunMessages
{
public:
    void info(QWidget* owner, const QString& caption, const QString& text) override;
    void infoWithDetails(QWidget* owner, const QString& caption, const QString& text,
                         const QString& details) override;
    bool ask(QWidget* owner, const QString& caption, const QString& text) override;
    void error(QWidget* owner, const QString& text) override;
    void plain(const QString& title, const QString& text) override;
    void errorWithDetails(QWidget* owner, const QString& caption, const QString& text,
                          const QString& details) override;
};

// A run told to a program (--json): JSON Lines on standard output, one event a line, each
// flushed as it is written; standard error stays quiet.
class JsonReport : public RunReport
{
public:
    RunMessages& messages() override { return m_messages; }
    void progress(const ProgressStep& step) override;
    void progressEnded() override {}
    void completed(const JobOutcome& outcome) override;
    void plan(const CheckPlan& plan) override;
    void end(const RunEnd& end) override;

private:
    JsonMessages m_messages;
};
