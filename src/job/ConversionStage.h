#pragma once

#include "JobContext.h"

// Converts every row, in list order, into temporary directory + index + ".avi": the job's
// picture size, 30 frames per second, MP3 audio. The total bar runs from 0 to 50.
class ConversionStage
{
public:
    explicit ConversionStage(const JobContext& context) : m_job(context) {}

    StageEnd run(const QString& pictureSize, const QString& tempDirectory);

private:
    StageEnd stopAt(int row, const QString& tempDirectory);

    const JobContext& m_job;
};
