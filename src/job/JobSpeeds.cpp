#include "JobSpeeds.h"

#include "prefs/IniFile.h"

namespace {

const QString kSpeedSection = QStringLiteral("Speed");
constexpr double kReferencePixels = 1280.0 * 720.0;
// Shorter jobs are mostly the start-up of the encoder, which says little of its speed.
constexpr double kShortestMeasuredJob = 0.1;

QString speedKey(JoinWay way)
{
    switch (way) {
    case JoinWay::Copy:
        return QStringLiteral("Copy");
    case JoinWay::OnePass:
        return QStringLiteral("One Pass");
    case JoinWay::TwoStages:
        break;
    }
    return QStringLiteral("Two Stages");
}

// The amount of work: bytes for a copy, seconds of 1280x720 video for a re-encode.
double workOf(JoinWay way, qint64 inputBytes, double videoSeconds, qint64 outputPixels)
{
    if (way == JoinWay::Copy)
        return static_cast<double>(inputBytes);
    return videoSeconds * static_cast<double>(outputPixels) / kReferencePixels;
}

} // namespace

JoinWay joinWay(bool copiesVideo, bool onePass)
{
    if (copiesVideo)
        return JoinWay::Copy;
    return onePass ? JoinWay::OnePass : JoinWay::TwoStages;
}

std::optional<JobSpeed> measuredSpeed(JoinWay way, qint64 inputBytes, double videoSeconds,
                                      qint64 outputPixels, double jobSeconds)
{
    const double work = workOf(way, inputBytes, videoSeconds, outputPixels);
    if (jobSeconds < kShortestMeasuredJob || work <= 0)
        return std::nullopt;
    return JobSpeed{work / jobSeconds};
}

double jobSecondsAt(JoinWay way, JobSpeed speed, qint64 inputBytes, double videoSeconds,
                    qint64 outputPixels)
{
    return workOf(way, inputBytes, videoSeconds, outputPixels) / speed.perSecond;
}

JobSpeed ruleOfThumbSpeed(JoinWay way)
{
    switch (way) {
    case JoinWay::Copy:
        return {200e6};
    case JoinWay::OnePass:
        return {3.0};
    case JoinWay::TwoStages:
        break;
    }
    return {2.5};
}

std::optional<JobSpeed> readJobSpeed(const QString& iniPath, JoinWay way)
{
    bool isNumber = false;
    const double speed =
        IniFile(iniPath).readString(kSpeedSection, speedKey(way), QString()).toDouble(&isNumber);
    if (!isNumber || speed <= 0)
        return std::nullopt;
    return JobSpeed{speed};
}

void writeJobSpeed(const QString& iniPath, JoinWay way, JobSpeed speed)
{
    IniFile ini(iniPath);
    ini.setString(kSpeedSection, speedKey(way), QString::number(speed.perSecond, 'g', 4));
    ini.save();
}
