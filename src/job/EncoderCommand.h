#pragma once

#include "JobClip.h"

#include <QList>
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

// How every picture of a join is sized and timed, whichever way it is joined.
struct PictureRules
{
    QString size; // the profile's picture size, "640:480"
    // Each picture fitted inside the size by its display shape, the rest black; otherwise
    // stretched to fill it.
    bool keepShape = false;
    // The rate as the General Settings store it: "30", "29.97", ..., or "First" for the first
    // video's own rate.
    QString frameRate = QStringLiteral("30");
    // The display aspect of the size, "16:9", when the profile gives it one; empty: the size's
    // own shape, square pixels.
    QString aspect{};
};

// The -ofps option of a frame rate setting, with a blank in front: " -ofps 30",
// " -ofps 30000/1001" for "29.97"; nothing for the first video's rate, which the encoder takes
// when no rate is given.
QString frameRateOption(const QString& frameRate);

// Each input below is written as ` "<file>"`, or, when only a part of the file is taken, in
// braces with the options of its own: ` { "<file>" -ss <in> -endpos <out - in> }`.

// ` "<input>" -o "<intermediate>" -oac mp3lame -ovc lavc -lavcopts vqscale=3 -ofps 30
// -vf scale=<size>`; with the shape kept `-vf dsize=<size>:0,scale=0:0,expand=<size>`.
EncoderCommand conversionCommand(const JobClip& input, const QString& intermediatePath,
                                 const PictureRules& rules);

// ` "<0.avi>" "<1.avi>" ... -o "<output>" <options>`; the option text begins with a blank of
// its own.
EncoderCommand joinCommand(const QList<JobClip>& inputs, const QString& outputPath,
                           const QString& encoderOptions);

// The join of the original inputs, without intermediates: ` "<input>" ... -o "<output>"
// <options> -ofps 30`, at the frame rate the conversions would have given every input. With the
// shape kept, ` -vf-pre dsize=<size>:0,scale=0:0,expand=<size>` before the rate puts the fit in
// front of the profile's own scale, which then finds the picture at its size.
EncoderCommand onePassJoinCommand(const QList<JobClip>& inputs, const QString& outputPath,
                                  const QString& encoderOptions, const PictureRules& rules);

// The command with ` -lavcopts threads=1 -lavdopts threads=1` added: one encoder slice thread
// and one decoder thread, so that conversions side by side do not crowd each other's cores.
EncoderCommand withOneThreadEach(EncoderCommand command);

// Temporary directory + the row's 0-based index + ".avi".
QString intermediatePath(const QString& tempDirectory, int rowIndex);
