#include "ResultCheck.h"

#include "EncoderContract.h"

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

QString beforeOrAfter(double offset)
{
    return offset > 0 ? QStringLiteral("after") : QStringLiteral("before");
}

QString faultRemark(const PartFault& fault)
{
    switch (fault.kind) {
    case PartFault::Kind::Undecodable:
        return QStringLiteral("The picture of the joined video does not decode where part %1 "
                              "begins, at %2 s.")
            .arg(QString::number(fault.part), tenths(fault.at));
    case PartFault::Kind::ShownTwice:
        return QStringLiteral("The joined video shows pictures twice where part %1 begins, at "
                              "%2 s.")
            .arg(QString::number(fault.part), tenths(fault.at));
    case PartFault::Kind::Rotation:
        return QStringLiteral("The joined video is shown turned %1 degrees, but part %2 is "
                              "turned %3 degrees.")
            .arg(QString::number(fault.outputValue), QString::number(fault.part),
                 QString::number(fault.partValue));
    case PartFault::Kind::PixelShape:
        return QStringLiteral("The pixels of the joined video are %1 times as wide as high, but "
                              "those of part %2 are %3 times.")
            .arg(hundredths(fault.outputValue), QString::number(fault.part),
                 hundredths(fault.partValue));
    }
    return {};
}

const QString kSeconds = QStringLiteral(R"((\d+(?:\.\d+)?)s)");

std::optional<vantomel::JoinLine> joinLine(const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    return vantomel::parseJoinLine({bytes.data(), std::size_t(bytes.size())});
}

std::optional<JoinOffset> parseClipOffset(const QString& line)
{
    const std::optional<vantomel::JoinLine> join = joinLine(line);
    if (!join || !join->ofClip)
        return std::nullopt;
    return JoinOffset{join->part, join->start, 0, join->offset};
}

bool takeTracks(JoinReport& report, const QString& line)
{
    static const QRegularExpression tracks(
        QStringLiteral("^Read back: clips %1(?:; video %1 to %1)?(?:; audio %1 to %1)?$")
            .arg(kSeconds));
    const QRegularExpressionMatch match = tracks.match(line.trimmed());
    if (!match.hasMatch())
        return false;
    const auto span = [&match](int first) -> std::optional<TrackTimes> {
        if (!match.hasCaptured(first))
            return std::nullopt;
        const double start = match.captured(first).toDouble();
        return TrackTimes{start, match.captured(first + 1).toDouble() - start};
    };
    report.clipsLength = match.captured(1).toDouble();
    report.tracks = {span(2), span(4)};
    return true;
}

// "Read back: sound track 2 ends at 119.990s", the lines coming in the tracks' order.
bool takeOtherSoundEnd(JoinReport& report, const QString& line)
{
    static const QRegularExpression end(
        QStringLiteral("^Read back: sound track (\\d+) ends at %1$").arg(kSeconds));
    const QRegularExpressionMatch match = end.match(line.trimmed());
    if (!match.hasMatch())
        return false;
    report.otherSoundEnds << match.captured(2).toDouble();
    return true;
}

bool takeFault(JoinReport& report, const QString& line)
{
    static const QRegularExpression fault(
        QStringLiteral("^Read back: part (\\d+) at %1: (?:(picture not decodable)|(pictures shown "
                       "twice)|turned (\\d+) degrees, joined video (\\d+) degrees|pixel aspect "
                       "(\\d+\\.\\d+), joined video (\\d+\\.\\d+))$")
            .arg(kSeconds));
    const QRegularExpressionMatch match = fault.match(line.trimmed());
    if (!match.hasMatch())
        return false;
    PartFault found{PartFault::Kind::Undecodable, match.captured(1).toInt(),
                    match.captured(2).toDouble(), 0, 0};
    if (match.hasCaptured(4))
        found.kind = PartFault::Kind::ShownTwice;
    for (const auto& [kind, first] :
         {std::pair{PartFault::Kind::Rotation, 5}, std::pair{PartFault::Kind::PixelShape, 7}})
        if (match.hasCaptured(first)) {
            found.kind = kind;
            found.partValue = match.captured(first).toDouble();
            found.outputValue = match.captured(first + 1).toDouble();
        }
    report.faults << found;
    return true;
}

} // namespace

double JoinOffset::change() const
{
    if (!clipOffset)
        return offset;
    const double own = *clipOffset;
    if (own >= 0)
        return offset - own;
    return offset - std::clamp(offset, own, 0.0);
}

std::optional<JoinOffset> parseJoinOffset(const QString& line)
{
    const std::optional<vantomel::JoinLine> join = joinLine(line);
    if (!join || join->ofClip)
        return std::nullopt;
    return JoinOffset{join->part, join->start, join->offset, std::nullopt};
}

bool takeJoinReportLine(JoinReport& report, const QString& line)
{
    if (const std::optional<JoinOffset> offset = parseJoinOffset(line)) {
        report.offsets << *offset;
        return true;
    }
    if (const std::optional<JoinOffset> clip = parseClipOffset(line)) {
        for (JoinOffset& offset : report.offsets)
            if (offset.part == clip->part)
                offset.clipOffset = clip->clipOffset;
        return true;
    }
    return takeTracks(report, line) || takeOtherSoundEnd(report, line) || takeFault(report, line);
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

bool isDroppedTrack(const QString& line)
{
    static const QRegularExpression dropped(QStringLiteral(
        R"(^The (sound|subtitle|data) track .+ cannot be kept in .+ and is dropped\.$)"));
    return dropped.match(line.trimmed()).hasMatch();
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
                                          std::optional<double> rowsLength,
                                          const JoinReport& report)
{
    Figures figures;
    figures.expectedLength = report.clipsLength ? report.clipsLength : rowsLength;
    figures.output = report.clipsLength ? report.tracks : probeTrackLengths(outputPath);
    figures.offsets = report.offsets;
    figures.faults = report.faults;
    figures.otherSoundEnds = report.otherSoundEnds;
    if (figures.output.audio && !figures.output.video)
        figures.inputsHavePicture = anyHas(inputPaths, &TrackLengths::video);
    if (figures.output.video && !figures.output.audio)
        figures.inputsHaveSound = anyHas(inputPaths, &TrackLengths::audio);
    return figures;
}

std::optional<double> ResultCheck::outputLength(const Figures& figures)
{
    if (figures.output.video)
        return figures.output.video->length;
    if (figures.output.audio)
        return figures.output.audio->length;
    return std::nullopt;
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

    const double length = *outputLength(figures);
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

    for (int track = 0; video && track < figures.otherSoundEnds.size(); ++track) {
        const double afterPicture = figures.otherSoundEnds[track] - video->end();
        if (std::abs(afterPicture) > kSyncTolerance)
            return QStringLiteral("Sound track %1 of the joined video ends %2 s %3 its picture.")
                .arg(QString::number(track + 2), hundredths(std::abs(afterPicture)),
                     afterPicture < 0 ? QStringLiteral("before") : QStringLiteral("after"));
    }

    if (!figures.faults.isEmpty())
        return faultRemark(figures.faults.first());

    // The join point whose sound the join moved furthest from its picture.
    const auto worst = std::max_element(figures.offsets.begin(), figures.offsets.end(),
                                        [](const JoinOffset& a, const JoinOffset& b) {
                                            return std::abs(a.change()) < std::abs(b.change());
                                        });
    if (worst == figures.offsets.end() || std::abs(worst->change()) <= kSyncTolerance)
        return {};
    QString text = QStringLiteral("The sound of part %1 of the joined video starts %2 s %3 its "
                                  "picture, at %4 s.")
                       .arg(QString::number(worst->part), hundredths(std::abs(worst->offset)),
                            beforeOrAfter(worst->offset), tenths(worst->at));
    // Half a hundredth shows as nothing.
    if (worst->clipOffset && std::abs(*worst->clipOffset) >= 0.005) {
        text.chop(1);
        text +=
            QStringLiteral("; in its own video it starts %1 s %2 it.")
                .arg(hundredths(std::abs(*worst->clipOffset)), beforeOrAfter(*worst->clipOffset));
    }
    return text;
}
