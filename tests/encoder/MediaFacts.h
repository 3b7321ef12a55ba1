#pragma once

#include <QByteArrayList>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

// What a written file holds, read back with libavformat and libavcodec.
struct StreamFacts
{
    bool present = false;
    QString codec;
    int width = 0;
    int height = 0;
    double frameRate = 0.0;
    int sampleRate = 0;
    int channels = 0;
    bool playedByDefault = false;
    int packets = 0;
    // In seconds: from the first packet's time to the end of the last one, as a player shows
    // it, so that a picture stored once for several frames counts for all of them.
    double duration = 0.0;
    int repeatedTimes = 0; // packets that show the time of the packet before them
};

struct MediaFacts
{
    bool opened = false;
    QString format; // the demuxer's name, "avi", "mpeg", "mov,mp4,m4a,3gp,3g2,mj2", ...
    StreamFacts video;
    StreamFacts audio;
    bool rotated = false; // a display matrix is still attached

    double audioMinusVideo() const { return audio.duration - video.duration; }
};

MediaFacts readMediaFacts(const QString& path);

// Seconds from the start of the picture at which the sound rises above 5 % of full scale after
// at least minimumSilence seconds below 0.5 % of it. Counting samples, the sound is timed as a
// player plays it: from the first frame's time on, one sample after the other, whatever the
// times of the frames after it.
QList<double> soundOnsets(const QString& path, double minimumSilence, bool countingSamples = false);

// The brightness (0 to 255) of the first picture at a point given as fractions of its size.
int lumaAt(const QString& path, double x, double y);

// The smallest rectangle around the bright pixels of the first picture: the picture inside its
// black bars, when it is white.
QRect brightArea(const QString& path);

// The standard output of a tool such as ffprobe, run to its end (a minute at most).
QByteArray toolOutput(const QString& tool, const QStringList& arguments);

// What ffprobe shows of the entries asked for ("packet=pts_time,flags"), one line of values for
// each item, of the streams selected ("v:0", "a"; empty: all). more: further ffprobe options.
QByteArrayList probedEntries(const QString& path, const QString& streams, const QString& entries,
                             const QStringList& more = {});

// The MD5 of every picture of the video stream: of its packets as stored, or as decoded.
QByteArrayList pictureSums(const QString& path, bool decoded);

struct ChapterMark
{
    double start = 0.0;
    QString title;
};

// The chapters as ffprobe lists them.
QList<ChapterMark> chaptersOf(const QString& path);

// Every decoded picture, scaled to 80x60 and grey, a byte a pixel.
QByteArrayList greyPictures(const QString& path);
// The index of the picture that differs least from the one given.
int likestPicture(const QByteArray& picture, const QByteArrayList& pictures);
