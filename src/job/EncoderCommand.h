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

// ` "<input>" -o "<intermediate>" -oac mp3lame -ovc lavc -lavcopts vqscale=3 -ofps 30
// -vf scale=<size>`
EncoderCommand conversionCommand(const QString& inputPath, const QString& intermediatePath,
                                 const QString& pictureSize);

// ` "<0.avi>" "<1.avi>" ... -o "<output>" <options>`; the option text begins with a blank of
// its own.
EncoderCommand joinCommand(const QStringList& intermediatePaths, const QString& outputPath,
                           const QString& encoderOptions);

// The join of the original inputs, without intermediates: ` "<input>" ... -o "<output>"
// <options> -ofps 30`, at the frame rate the conversions would have given every input.
EncoderCommand onePassJoinCommand(const QStringList& inputPaths, const QString& outputPath,
                                  const QString& encoderOptions);

// The command with ` -lavcopts threads=1 -lavdopts threads=1` added: one encoder slice thread
// and one decoder thread, so that conversions side by side do not crowd each other's cores.
EncoderCommand withOneThreadEach(EncoderCommand command);

// Temporary directory + the row's 0-based index + ".avi".
QString intermediatePath(const QString& tempDirectory, int rowIndex);
