#include "EncoderCommand.h"

namespace {

QString quoted(const QString& path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

QStringList optionWords(const QString& options)
{
    return options.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Every intermediate has this frame rate.
const QString kFrameRateOption = QStringLiteral("-ofps 30");
// The intermediates' quality: MPEG-4 at the constant quantiser 3, near enough to lossless that
// the join's second encoding shows no loss of its own. The join's quality is the profile's.
const QString kIntermediateQuality = QStringLiteral("-lavcopts vqscale=3");

} // namespace

EncoderCommand conversionCommand(const QString& inputPath, const QString& intermediatePath,
                                 const QString& pictureSize)
{
    static const QString fixedOptions = QStringLiteral(" -oac mp3lame -ovc lavc ") +
                                        kIntermediateQuality + QLatin1Char(' ') + kFrameRateOption +
                                        QStringLiteral(" -vf scale=");
    EncoderCommand command;
    command.text = QLatin1Char(' ') + quoted(inputPath) + QStringLiteral(" -o ") +
                   quoted(intermediatePath) + fixedOptions + pictureSize;
    // The picture size stays one word even if the manual size fields hold blanks.
    QStringList options = optionWords(fixedOptions);
    options.last() += pictureSize;
    command.arguments = QStringList{inputPath, QStringLiteral("-o"), intermediatePath} + options;
    return command;
}

EncoderCommand joinCommand(const QStringList& intermediatePaths, const QString& outputPath,
                           const QString& encoderOptions)
{
    EncoderCommand command;
    for (const QString& path : intermediatePaths)
        command.text += QLatin1Char(' ') + quoted(path);
    command.text += QStringLiteral(" -o ") + quoted(outputPath) + QLatin1Char(' ') + encoderOptions;
    command.arguments = intermediatePaths;
    command.arguments << QStringLiteral("-o") << outputPath;
    command.arguments += optionWords(encoderOptions);
    return command;
}

EncoderCommand onePassJoinCommand(const QStringList& inputPaths, const QString& outputPath,
                                  const QString& encoderOptions)
{
    return joinCommand(inputPaths, outputPath,
                       encoderOptions + QLatin1Char(' ') + kFrameRateOption);
}

EncoderCommand withOneThreadEach(EncoderCommand command)
{
    static const QString threadOptions = QStringLiteral(" -lavcopts threads=1 -lavdopts threads=1");
    command.text += threadOptions;
    command.arguments += optionWords(threadOptions);
    return command;
}

QString intermediatePath(const QString& tempDirectory, int rowIndex)
{
    return tempDirectory + QString::number(rowIndex) + QStringLiteral(".avi");
}
