#pragma once

#include <QDir>
#include <QString>

// The clips made once per build by tests/fixtures/make-clips.sh (tests that use them are
// registered with NEEDS_CLIPS): clip.<kind> for every input kind, noaudio.avi, novideo.mp4,
// mono.avi, text.avi, empty.avi, truncated.mp4, portrait.mp4 (320x180 turned a quarter),
// anamorphic.mp4 (320x240 of 4:3 pixels), numbered.<mp4|ts|mkv|avi>, numbered-bframes.avi and
// numbered-portrait.mp4 (pictures that show their number as a grey level).
inline QString clipsDirectory()
{
    return QString::fromLocal8Bit(qgetenv("VANTOMEL_CLIPS"));
}

inline QString clipPath(const QString& name)
{
    return QDir(clipsDirectory()).filePath(name);
}

// The program directory of the build: the program, asapi.dll, Profiles/.
inline QString programDirectory()
{
    return QString::fromLocal8Bit(qgetenv("VANTOMEL_PROGRAM_DIR")) + QLatin1Char('/');
}
