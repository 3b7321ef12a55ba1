#pragma once

#include <QString>
#include <QStringList>

// One encoder command: the command-line text as MEncoder users know it (shown and compared
// exactly), and the argument vector the process really gets, built from the same pieces. Each
// path is one argument, never re-parsed, so quotes, blanks, "$" or a leading "-" in a path are
// safe; only the profile's option text is split at blanks.
struct EncoderCommand
{
    QString text;
    QStringList arguments;
};

// ` "<input>" -o "<intermediate>" -oac mp3lame -ovc lavc -ofps 30 -vf scale=<size>`
EncoderCommand conversionCommand(const QString& inputPath, const QString& intermediatePath,
                                 const QString& pictureSize);

// ` "<0.avi>" "<1.avi>" ... -o "<output>" <options>`; the option text begins with a blank of
// its own.
EncoderCommand joinCommand(const QStringList& intermediatePaths, const QString& outputPath,
                           const QString& encoderOptions);

// Temporary directory + the row's 0-based index + ".avi".
QString intermediatePath(const QString& tempDirectory, int rowIndex);
