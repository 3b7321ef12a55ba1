#include "OutputSummary.h"

#include "profiles/CurrentProfile.h"
#include "profiles/EncoderOptions.h"
#include "tasks/ClipFacts.h"

#include <cmath>

namespace {

// Bytes a second of a bitrate in kbit a second; what the containers add is within the estimate.
constexpr double kBytesPerKbit = 1000.0 / 8.0;
// What an MP3 of the VBR mode comes to at the usual qualities.
constexpr double kMp3VbrKbit = 160;

qint64 pixelsOf(const QString& size)
{
    const QStringList sides = size.split(QLatin1Char('x'));
    if (sides.size() != 2)
        return 0;
    return qMax(0, sides[0].toInt()) * static_cast<qint64>(qMax(0, sides[1].toInt()));
}

double choiceNumber(const CurrentProfile& profile, OutputSetting setting)
{
    return profile.selection()[setting].text.toDouble();
}

QString reencodedSound(const CurrentProfile& profile)
{
    return soundFactsText(
        profile.selection()[OutputSetting::AudioCodec].text,
        choiceNumber(profile, OutputSetting::SampleRate),
        profile.chosenValue(OutputSetting::Channels, QStringLiteral("2")).toInt());
}

double reencodedSoundKbit(const CurrentProfile& profile)
{
    const QString codec = profile.selection()[OutputSetting::AudioCodec].text;
    if (codec == QLatin1String("MP3")) {
        // The first mode is VBR, by convention of the profiles.
        if (profile.selection()[OutputSetting::Mp3Encode].index == 0)
            return kMp3VbrKbit;
        return choiceNumber(profile, OutputSetting::AbrCbrBitrate);
    }
    if (codec == QLatin1String("PCM"))
        return choiceNumber(profile, OutputSetting::SampleRate) * 16 *
               profile.chosenValue(OutputSetting::Channels, QStringLiteral("2")).toInt() / 1000.0;
    return choiceNumber(profile, OutputSetting::AudioBitrate);
}

} // namespace

OutputSummary summarizeOutput(const QVector<TaskRow>& rows, const CurrentProfile& profile,
                              const prefs::GeneralSettings& settings,
                              std::optional<JobSpeed> measuredSpeed,
                              const EncodedAgain& encodedAgain)
{
    OutputSummary summary;
    summary.container = profile.outputExtension().mid(1).toUpper();
    summary.way = joinWay(copiesVideo(profile), settings.onePass);
    const bool copied = summary.way == JoinWay::Copy;
    QList<int> reencodedRows;
    if (copied)
        for (const int row : encodedAgain.rows)
            if (row >= 0 && row < rows.size() && !reencodedRows.contains(row))
                reencodedRows << row;
    summary.encodedAgain = int(reencodedRows.size());
    // The clips encoded again take the shape of the others.
    int firstCopied = 0;
    while (reencodedRows.contains(firstCopied))
        ++firstCopied;
    const TaskRow first = rows.value(firstCopied);
    summary.pictureSize =
        copied ? first.frameSize
               : pictureSizeText(profile).replace(QLatin1Char(':'), QLatin1Char('x'));
    summary.frameRate = copied || settings.frameRate == prefs::kFirstVideoFrameRate
                            ? first.facts.frameRate
                            : settings.frameRate;
    summary.video =
        copied ? first.facts.video : profile.selection()[OutputSetting::VideoCodec].text;
    summary.sound = copiesAudio(profile) ? first.facts.sound : reencodedSound(profile);
    // The line names the codec; the tooltip tells the rest.
    summary.soundCodec = summary.sound.section(QLatin1Char(' '), 0, 0);

    double videoSeconds = 0;
    qint64 inputBytes = 0;
    for (const TaskRow& row : rows) {
        const double part = row.partSeconds();
        if (part < 0 || videoSeconds < 0)
            videoSeconds = -1;
        else
            videoSeconds += part;
        // A part of a file is about its share of the bytes.
        const double whole = row.lengthSeconds();
        if (row.facts.fileSize < 0 || inputBytes < 0 || part < 0 || whole <= 0)
            inputBytes = -1;
        else
            inputBytes += std::llround(row.facts.fileSize * std::min(1.0, part / whole));
    }
    if (rows.isEmpty() || videoSeconds < 0)
        return summary;

    qint64 outputPixels = pixelsOf(summary.pictureSize);
    if (outputPixels == 0)
        outputPixels = pixelsOf(first.frameSize);
    summary.videoSeconds = videoSeconds;
    summary.inputBytes = inputBytes;
    summary.outputPixels = outputPixels;
    if (copied) {
        summary.bytes = inputBytes;
        if (inputBytes < 0)
            return summary;
    } else {
        const double kbit =
            choiceNumber(profile, OutputSetting::VideoBitrate) + reencodedSoundKbit(profile);
        summary.bytes = std::llround(kbit * kBytesPerKbit * videoSeconds);
    }
    summary.measured = measuredSpeed.has_value();
    summary.jobSeconds =
        jobSecondsAt(summary.way, measuredSpeed.value_or(ruleOfThumbSpeed(summary.way)), inputBytes,
                     videoSeconds, outputPixels);
    if (reencodedRows.isEmpty())
        return summary;
    // A copy reads every clip; those encoded again take a re-encode's time on top.
    double reencodedSeconds = 0;
    for (const int row : reencodedRows)
        reencodedSeconds += std::max(0.0, rows[row].partSeconds());
    summary.encodeMeasured = encodedAgain.measuredSpeed.has_value();
    summary.jobSeconds += jobSecondsAt(
        JoinWay::OnePass, encodedAgain.measuredSpeed.value_or(ruleOfThumbSpeed(JoinWay::OnePass)),
        0, reencodedSeconds, outputPixels);
    return summary;
}

QString roughDurationText(double seconds)
{
    const qint64 whole = std::llround(std::max(1.0, seconds));
    if (whole < 60)
        return QStringLiteral("%1 s").arg(whole);
    const qint64 minutes = std::llround(seconds / 60.0);
    if (minutes < 60)
        return QStringLiteral("%1 min").arg(minutes);
    return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60);
}

QString summaryLine(const OutputSummary& summary)
{
    QStringList parts;
    for (const QString& fact : {summary.container, summary.pictureSize})
        if (!fact.isEmpty())
            parts << fact;
    if (!summary.frameRate.isEmpty())
        parts << summary.frameRate + QStringLiteral(" fps");
    for (const QString& fact : {summary.video, summary.soundCodec})
        if (!fact.isEmpty())
            parts << fact;
    if (summary.way != JoinWay::Copy)
        parts << QStringLiteral("re-encoded");
    else if (summary.encodedAgain == 0)
        parts << QStringLiteral("copied");
    else
        parts << QStringLiteral("copied, %1 re-encoded").arg(summary.encodedAgain);
    if (summary.bytes >= 0)
        parts << QStringLiteral("about ") + fileSizeText(summary.bytes);
    if (summary.jobSeconds >= 0)
        parts << QStringLiteral("about ") + roughDurationText(summary.jobSeconds) +
                     (summary.measured && (summary.encodedAgain == 0 || summary.encodeMeasured)
                          ? QString()
                          : QStringLiteral(" (a guess)"));
    return parts.join(QStringLiteral(" \u00b7 "));
}

QString summaryExplanation(const OutputSummary& summary)
{
    const QString sound = summary.sound.isEmpty()
                              ? QString()
                              : QStringLiteral("Sound: ") + summary.sound + QLatin1Char('\n');
    const QString size =
        summary.way != JoinWay::Copy
            ? QStringLiteral("The size follows from the video and audio bitrates and the clips' "
                             "lengths.")
        : summary.encodedAgain == 0
            ? QStringLiteral("The size is the clips' own: their pictures are copied.")
            : QStringLiteral("The size is about the clips' own: their pictures are copied, but "
                             "for those encoded again to match the others.");
    const QString time =
        summary.measured
            ? QStringLiteral("The time follows from the speed of the last job of this kind on "
                             "this computer.")
        : summary.way == JoinWay::Copy
            ? QStringLiteral("No job of this kind has run on this computer yet: the time is "
                             "guessed at 200 MB of clips a second.")
            : QStringLiteral("No job of this kind has run on this computer yet: the time is "
                             "guessed at %1 the clips' length for 1280x720.")
                  .arg(summary.way == JoinWay::OnePass ? QStringLiteral("a third of")
                                                       : QStringLiteral("two fifths of"));
    const QString encodeTime =
        summary.encodedAgain == 0 ? QString()
        : summary.encodeMeasured
            ? QStringLiteral("\nThe clips encoded again add their length at the speed of the last "
                             "one-pass job on this computer.")
            : QStringLiteral("\nThe clips encoded again add a third of their length for "
                             "1280x720, as no one-pass job has run on this computer yet.");
    return sound + size + QLatin1Char('\n') + time + encodeTime;
}
