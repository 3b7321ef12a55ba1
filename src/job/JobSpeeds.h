#pragma once

#include <QString>
#include <optional>

// The three ways a job makes its output, each as fast as this machine makes it.
enum class JoinWay
{
    Copy,      // the pictures copied
    OnePass,   // the inputs re-encoded in one run
    TwoStages, // converted to intermediates, then joined
};

JoinWay joinWay(bool copiesVideo, bool onePass);

// How fast a way ran: bytes of input per second for a copy, which reads and writes; seconds of
// video per second for a re-encode, as if the output were 1280x720, which the encoders' work
// follows.
struct JobSpeed
{
    double perSecond = 0;
};

// A finished job's speed: of inputBytes in, videoSeconds of video at outputPixels (width times
// height) out, in jobSeconds. None for a job too short to tell.
std::optional<JobSpeed> measuredSpeed(JoinWay way, qint64 inputBytes, double videoSeconds,
                                      qint64 outputPixels, double jobSeconds);

// The seconds a job of the way takes at speed.
double jobSecondsAt(JoinWay way, JobSpeed speed, qint64 inputBytes, double videoSeconds,
                    qint64 outputPixels);

// The speed a way is guessed at before a job of it has run on this machine: a copy at 200 MB a
// second, a re-encode at three times real time at 1280x720 in one pass, 2.5 times in two stages.
JobSpeed ruleOfThumbSpeed(JoinWay way);

// The speed the last finished job of the way measured, kept in [Speed] of the preferences file
// ("Copy", "One Pass", "Two Stages"); none before the first.
std::optional<JobSpeed> readJobSpeed(const QString& iniPath, JoinWay way);
// Throws IniWriteError when the file cannot be written.
void writeJobSpeed(const QString& iniPath, JoinWay way, JobSpeed speed);
