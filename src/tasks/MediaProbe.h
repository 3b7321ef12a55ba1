#pragma once

#include "ClipFacts.h"

#include <QString>
#include <optional>
#include <stdexcept>

// A probe whose playing time is not a number: the file is no media file the library can read.
class ProbeError : public std::runtime_error
{
public:
    ProbeError(const QString& playTime, const QString& path);
    // "'<text read>' is not a valid floating point value"
    QString message() const { return m_message; }
    // The file that was probed.
    QString path() const { return m_path; }

private:
    QString m_message;
    QString m_path;
};

// Reads a file's playing time and first video stream's picture size through libmediainfo and
// keeps them as the last probe result until the next successful probe.
class MediaProbe
{
public:
    MediaProbe();

    // Throws ProbeError when the playing time is not a number; the last result is then kept.
    void probe(const QString& path);

    // FormatDuration of the playing time: "00:01:30".
    const QString& durationText() const { return m_durationText; }
    // Width "x" height as the picture plays, its stored size turned by the clip's rotation:
    // "640x480", "x" without video.
    const QString& frameSizeText() const { return m_frameSizeText; }
    const ClipFacts& facts() const { return m_facts; }

private:
    QString m_durationText;
    QString m_frameSizeText;
    ClipFacts m_facts;
};

// A track of a file as libmediainfo reads it, in seconds: its delay from the file's start and
// its length.
struct TrackTimes
{
    double start = 0;
    double length = 0;

    double end() const { return start + length; }
};

// A file's first video and first audio track; nothing for a track the file does not have or
// whose length the library cannot tell.
struct TrackLengths
{
    std::optional<TrackTimes> video;
    std::optional<TrackTimes> audio;
};

TrackLengths probeTrackLengths(const QString& path);
