#pragma once

#include "JobSpeeds.h"
#include "prefs/Preferences.h"
#include "tasks/TaskRow.h"

#include <QList>
#include <QString>
#include <QVector>
#include <optional>

class CurrentProfile;

// What the job would make of the listed clips with the profile and the settings as they are now,
// told before Start: its shape, and how large it will be and how long it will take.
struct OutputSummary
{
    QString container;   // "MP4"
    QString pictureSize; // "1920x1080"
    QString frameRate;   // "30"
    QString video;       // "H.264"
    QString sound;       // "AAC 48 kHz stereo"
    QString soundCodec;  // "AAC"
    JoinWay way = JoinWay::TwoStages;
    int encodedAgain = 0; // clips a copy encodes again to match the others
    // The job's work: the clips' length and size, the output's pixels; -1 where unknown.
    double videoSeconds = -1;
    qint64 inputBytes = -1;
    qint64 outputPixels = -1;
    qint64 bytes = -1;           // the output's size; -1 when a clip's length or size is unknown
    double jobSeconds = -1;      // the job's time; -1 when a clip's length is unknown
    bool measured = false;       // the time comes from a job that ran on this machine
    bool encodeMeasured = false; // so does the time of the clips encoded again
};

// The clips whose pictures a copy encodes again to match the others, as the encoder's check said
// (rows, 0-based), and what a re-encode last measured on this machine (JoinWay::OnePass).
struct EncodedAgain
{
    QList<int> rows;
    std::optional<JobSpeed> measuredSpeed;
};

// measuredSpeed: what the last job of the way the profile and settings choose measured. A copy's
// shape is that of its first clip that it copies, and its time adds the re-encoding of the others.
OutputSummary summarizeOutput(const QVector<TaskRow>& rows, const CurrentProfile& profile,
                              const prefs::GeneralSettings& settings,
                              std::optional<JobSpeed> measuredSpeed,
                              const EncodedAgain& encodedAgain = {});

// "MP4 · 1920x1080 · 30 fps · H.264 · AAC · re-encoded · about 85 MB · about 2 min"; a copy that
// encodes clips again says "copied, 2 re-encoded". A time guessed before any job of its kind ran
// says so.
QString summaryLine(const OutputSummary& summary);
// How the size and the time were estimated, for the line's tooltip.
QString summaryExplanation(const OutputSummary& summary);

// "45 s", "2 min", "1 h 20 min".
QString roughDurationText(double seconds);
