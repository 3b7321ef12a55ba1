#pragma once

#include "JobContext.h"
#include "StageOutcome.h"

#include <QString>

// Converts every row, in list order, into job folder + index + ".avi": the job's picture size,
// 30 frames per second, MP3 audio. The total bar runs from 0 to 50. Ends at the first run that
// is stopped or fails.
class ConversionStage
{
public:
    explicit ConversionStage(const JobContext& context) : m_job(context) {}

    StageOutcome run(const QString& pictureSize, const QString& jobFolder);

private:
    const JobContext& m_job;
};
