#pragma once

#include "support/Clips.h"

#include <QDir>
#include <QFile>

// The encoder tests' own clips (rotated, damaged, sound out of step), made beside the shared
// ones for the tests that run the encoder program.
inline QString encoderClipPath(const QString& name)
{
    return QDir(QStringLiteral(VANTOMEL_ENCODER_CLIPS)).filePath(name);
}

// Shared clips are named clip.<kind> and the like; the encoder's own live beside them.
inline QString inputPath(const QString& name)
{
    const QString shared = clipPath(name);
    return QFile::exists(shared) ? shared : encoderClipPath(name);
}
