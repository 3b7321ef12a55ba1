#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

// A moving H.264 test picture made by ffmpeg into dir once and kept between runs: size "WxH",
// seconds long at 30 pictures a second, a keyframe every `gop` pictures.
inline QString benchClip(const QDir& dir, const QString& name, const QString& size, int seconds,
                         int gop)
{
    const QString path = dir.filePath(name);
    if (QFile::exists(path))
        return path;
    dir.mkpath(QStringLiteral("."));
    const int made = QProcess::execute(
        QStringLiteral("ffmpeg"),
        {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
         QStringLiteral("testsrc2=size=%1:rate=30:duration=%2").arg(size).arg(seconds), "-c:v",
         "libx264", "-preset", "veryfast", "-g", QString::number(gop), "-pix_fmt", "yuv420p",
         path});
    if (made != 0)
        qFatal("ffmpeg could not make the clip");
    return path;
}
