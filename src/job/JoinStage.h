#pragma once

#include "JobContext.h"
#include "StageOutcome.h"

#include <QString>

// Joins the intermediates in list order into the output file with the profile's options. The
// total bar runs from 50 to 100.
class JoinStage
{
public:
    explicit JoinStage(const JobContext& context) : m_job(context) {}

    StageOutcome run(const QString& encoderOptions, const QString& jobFolder);

private:
    const JobContext& m_job;
};

// With "rename" chosen and the output existing: the first of <name>_1, <name>_2, ... in the
// same folder, with the output extension, that does not exist. Otherwise the path itself.
QString joinOutputPath(const QString& outputFile, const QString& outputExtension, bool rename);
