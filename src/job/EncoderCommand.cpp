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

} // namespace

EncoderCommand conversionCommand(const QString& inputPath, const QString& intermediatePath,
                                 const QString& pictureSize)
{
    static const QString fixedOptions =
        QStringLiteral(" -oac mp3lame -ovc lavc -ofps 30 -vf scale=");
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

QString intermediatePath(const QString& tempDirectory, int rowIndex)
{
    return tempDirectory + QString::number(rowIndex) + QStringLiteral(".avi");
}
