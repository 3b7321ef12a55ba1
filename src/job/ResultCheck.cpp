#include "ResultCheck.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

QString tenths(double seconds)
{
    return QString::number(seconds, 'f', 1);
}

// Sync figures are near the tolerance of a tenth, so they are shown in hundredths.
QString hundredths(double seconds)
{
    return QString::number(seconds, 'f', 2);
}

bool anyHas(const QStringList& paths, std::optional<TrackTimes> TrackLengths::*track)
{
    return std::any_of(paths.begin(), paths.end(), [track](const QString& path) {
        return (probeTrackLengths(path).*track).has_value();
    });
}

} // namespace

std::optional<JoinOffset> parseJoinOffset(const QString& line)
{
    static const QRegularExpression report(
        QStringLiteral(R"(^Join (\d+) at (\d+(?:\.\d+)?)s: A/V offset ([+-]?\d+(?:\.\d+)?)s$)"));
    const QRegularExpressionMatch match = report.match(line.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return JoinOffset{match.captured(1).toInt(), match.captured(2).toDouble(),
                      match.captured(3).toDouble()};
}

std::optional<QString> parseSilencedInput(const QString& line)
{
    static const QRegularExpression warning(
        QStringLiteral(R"(^No usable audio in (.+); using silence\.$)"));
    const QRegularExpressionMatch match = warning.match(line.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

QString silenceNote(const QStringList& silencedInputs)
{
    QStringList names;
    for (const QString& path : silencedInputs)
        names << QFileInfo(path).fileName();
    names.removeDuplicates();
    if (names.isEmpty())
        return {};
    const QString last = names.takeLast();
    const QString listed =
        names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
    return QStringLiteral("Silence was put in place of the sound of %1, which could not be "
                          "decoded.")
        .arg(listed);
}

ResultCheck::Figures ResultCheck::measure(const QString& outputPath, const QStringList& inputPaths,
                                          std::optional<double> expectedLength,
                                          const QList<JoinOffset>& offsets)
{
    Figures figures;
    figures.expectedLength = expectedLength;
    figures.output = probeTrackLengths(outputPath);
    figures.offsets = offsets;
    if (figures.output.audio && !figures.output.video)
        figures.inputsHavePicture = anyHas(inputPaths, &TrackLengths::video);
    if (figures.output.video && !figures.output.audio)
        figures.inputsHaveSound = anyHas(inputPaths, &TrackLengths::audio);
    return figures;
}

QString ResultCheck::remark(const Figures& figures)
{
    const std::optional<TrackTimes>& video = figures.output.video;
    const std::optional<TrackTimes>& audio = figures.output.audio;
    if (!video && !audio)
        return {};
    if (!video && figures.inputsHavePicture)
        return QStringLiteral("The joined video has no picture.");
    if (!audio && figures.inputsHaveSound)
        return QStringLiteral("The joined video has no sound.");

    const double length = video ? video->length : audio->length;
    const double expected = figures.expectedLength.value_or(length);
    const double missing = expected - length;
    if (std::abs(missing) > kLengthTolerance)
        return QStringLiteral("The joined video is %1 s long, %2 s %3 than the videos together "
                              "(%4 s).")
            .arg(tenths(length), tenths(std::abs(missing)),
                 missing > 0 ? QStringLiteral("shorter") : QStringLiteral("longer"),
                 tenths(expected));

    if (video && audio) {
        const double soundAfterPicture = audio->end() - video->end();
        if (std::abs(soundAfterPicture) > kSyncTolerance)
            return QStringLiteral("The sound of the joined video ends %1 s %2 its picture.")
                .arg(hundredths(std::abs(soundAfterPicture)),
                     soundAfterPicture < 0 ? QStringLiteral("before") : QStringLiteral("after"));
    }

    // The join point whose sound is furthest from its picture.
    const auto worst = std::max_element(figures.offsets.begin(), figures.offsets.end(),
                                        [](const JoinOffset& a, const JoinOffset& b) {
                                            return std::abs(a.offset) < std::abs(b.offset);
                                        });
    if (worst != figures.offsets.end() && std::abs(worst->offset) > kSyncTolerance)
        return QStringLiteral("The sound of part %1 of the joined video starts %2 s %3 its "
                              "picture, at %4 s.")
            .arg(QString::number(worst->part), hundredths(std::abs(worst->offset)),
                 worst->offset > 0 ? QStringLiteral("after") : QStringLiteral("before"),
                 tenths(worst->at));
    return {};
}
