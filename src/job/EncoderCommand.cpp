#include "EncoderCommand.h"

#include <QRegularExpression>
#include <cmath>

namespace {

QString quoted(const QString& path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

QStringList optionWords(const QString& options)
{
    return options.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Seconds as the encoder reads a time: "5", "12.25".
QString secondsText(double seconds)
{
    return QString::number(seconds, 'g', 12);
}

// The one place where an input is written: the whole file as a bare path, a part of it in
// braces with the options that are its own.
void appendInput(EncoderCommand& command, const JobClip& input)
{
    if (!input.isTrimmed()) {
        command.text += QLatin1Char(' ') + quoted(input.path);
        command.arguments << input.path;
        return;
    }
    QStringList options;
    if (input.inPoint)
        options << QStringLiteral("-ss") << secondsText(*input.inPoint);
    // The encoder counts the end from where the part begins.
    if (input.outPoint)
        options << QStringLiteral("-endpos")
                << secondsText(*input.outPoint - input.inPoint.value_or(0));
    command.text += QStringLiteral(" { ") + quoted(input.path) + QLatin1Char(' ') +
                    options.join(QLatin1Char(' ')) + QStringLiteral(" }");
    command.arguments << QStringLiteral("{") << input.path << options << QStringLiteral("}");
}

// The intermediates' quality: MPEG-4 at the constant quantiser 3, near enough to lossless that
// the join's second encoding shows no loss of its own. The join's quality is the profile's.
const QString kIntermediateQuality = QStringLiteral("-lavcopts vqscale=3");

// "16:9", "16/9" or "1.78" as a number; 0 when it is none.
double aspectValue(const QString& text)
{
    const QStringList parts = text.split(QRegularExpression(QStringLiteral("[:/]")));
    const double top = parts.value(0).toDouble();
    const double bottom = parts.size() == 2 ? parts[1].toDouble() : 1.0;
    return parts.size() <= 2 && top > 0 && bottom > 0 ? top / bottom : 0.0;
}

// MEncoder's way to fit a picture in a box by its display shape: the largest display size
// inside the box (dsize's method 0), scaled to that, then black borders up to the box. A box
// shown wider or narrower than its pixels (a 720x576 DVD picture shown at 16:9) is filled at its
// display size, 1024x576, and then squeezed into its pixels.
QString shapeKeepingFilters(const PictureRules& rules)
{
    // A side that MEncoder works out from the picture (0, -1, -2, -3) leaves no bars to add.
    for (const QString& side : rules.size.split(QLatin1Char(':'))) {
        bool number = false;
        if (side.toInt(&number) <= 0 && number)
            return QStringLiteral("scale=") + rules.size;
    }
    const QStringList sides = rules.size.split(QLatin1Char(':'));
    const int width = sides.value(0).toInt();
    const int height = sides.value(1).toInt();
    const double aspect = aspectValue(rules.aspect);
    QString box = rules.size;
    if (sides.size() == 2 && width > 0 && height > 0 && aspect > 0 &&
        std::abs(aspect - double(width) / height) > 0.01) {
        const auto even = [](double side) { return 2 * qRound(side / 2); };
        box = aspect > double(width) / height ? QString::number(even(height * aspect)) +
                                                    QLatin1Char(':') + QString::number(height)
                                              : QString::number(width) + QLatin1Char(':') +
                                                    QString::number(even(width / aspect));
    }
    QString filters = QStringLiteral("dsize=") + box + QStringLiteral(":0,scale=0:0,expand=") + box;
    if (box != rules.size)
        filters += QStringLiteral(",scale=") + rules.size;
    return filters;
}

} // namespace

QString frameRateOption(const QString& frameRate)
{
    if (frameRate.compare(QLatin1String("First"), Qt::CaseInsensitive) == 0)
        return QString();
    // The NTSC rates exactly, as 1000/1001 of the whole ones.
    static const QList<std::pair<QString, QString>> exact{
        {QStringLiteral("23.976"), QStringLiteral("24000/1001")},
        {QStringLiteral("29.97"), QStringLiteral("30000/1001")},
        {QStringLiteral("59.94"), QStringLiteral("60000/1001")}};
    for (const auto& [shown, ratio] : exact)
        if (frameRate == shown)
            return QStringLiteral(" -ofps ") + ratio;
    return QStringLiteral(" -ofps ") + frameRate;
}

EncoderCommand conversionCommand(const JobClip& input, const QString& intermediatePath,
                                 const PictureRules& rules)
{
    const QString fixedOptions = QStringLiteral(" -oac mp3lame -ovc lavc ") + kIntermediateQuality +
                                 frameRateOption(rules.frameRate) + QStringLiteral(" -vf ");
    const QString filters =
        rules.keepShape ? shapeKeepingFilters(rules) : QStringLiteral("scale=") + rules.size;
    EncoderCommand command;
    appendInput(command, input);
    command.text += QStringLiteral(" -o ") + quoted(intermediatePath) + fixedOptions + filters;
    // The filters stay one word even if the manual size fields hold blanks.
    command.arguments << QStringLiteral("-o") << intermediatePath << optionWords(fixedOptions)
                      << filters;
    return command;
}

EncoderCommand joinCommand(const QList<JobClip>& inputs, const QString& outputPath,
                           const QString& encoderOptions)
{
    EncoderCommand command;
    for (const JobClip& input : inputs)
        appendInput(command, input);
    command.text += QStringLiteral(" -o ") + quoted(outputPath) + QLatin1Char(' ') + encoderOptions;
    command.arguments << QStringLiteral("-o") << outputPath;
    command.arguments += optionWords(encoderOptions);
    return command;
}

EncoderCommand onePassJoinCommand(const QList<JobClip>& inputs, const QString& outputPath,
                                  const QString& encoderOptions, const PictureRules& rules)
{
    const QString fit =
        rules.keepShape ? QStringLiteral(" -vf-pre ") + shapeKeepingFilters(rules) : QString();
    return joinCommand(inputs, outputPath, encoderOptions + fit + frameRateOption(rules.frameRate));
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
