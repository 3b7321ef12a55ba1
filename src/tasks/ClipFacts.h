#pragma once

#include <QDateTime>
#include <QString>

// What the task list tells of a clip besides its length and size, read when it is added.
struct ClipFacts
{
    QString frameRate; // "29.97", "30"; empty without a picture
    QString video;     // codec and profile, "H.264 High"; empty without a picture
    QString sound;     // "AAC 48 kHz stereo"; "none" without sound
    // When the clip was filmed, from its own record; the file's modification time otherwise.
    QDateTime dateTaken;
    qint64 fileSize = -1; // bytes

    bool operator==(const ClipFacts&) const = default;
};

// "AAC 48 kHz stereo": the codec, then the sample rate and the channels where known (above 0).
QString soundFactsText(const QString& codec, double sampleRate, int channels);

// "12.3 MB", "850 KB", "1.2 GB": decimal units, as file managers show them.
QString fileSizeText(qint64 bytes);
// "2025-07-11 14:03" in local time.
QString dateTakenText(const QDateTime& taken);
