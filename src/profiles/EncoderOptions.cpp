#include "EncoderOptions.h"

#include "CurrentProfile.h"
#include "SelectionChecks.h"
#include "prefs/IntegerText.h"

namespace {

// The value of the video and audio choices that keep the videos' own streams.
const QString kCopyValue = QStringLiteral("copy");

QString videoOptions(const CurrentProfile& profile)
{
    const OutputSelection& selection = profile.selection();
    const QString codec = profile.chosenValue(OutputSetting::VideoCodec, QStringLiteral("mpeg4"));
    const QString chosenAspect = chosenAspectText(profile);
    const QString aspect = chosenAspect.isEmpty() ? QStringLiteral("autoaspect")
                                                  : QStringLiteral("aspect=") + chosenAspect;
    return QStringLiteral("vcodec=") + codec + QStringLiteral(":vbitrate=") +
           selection[OutputSetting::VideoBitrate].text + QStringLiteral(":mbd=2:") + aspect;
}

QString limitedAudioBitrate(const OutputSelection& selection)
{
    const QString& text = selection[OutputSetting::AudioBitrate].text;
    if (selection[OutputSetting::AudioCodec].text != QLatin1String("MP2"))
        return text;
    const auto value = parseIntegerText(text);
    return value && *value > kMaxMp2Bitrate ? QString::number(kMaxMp2Bitrate) : text;
}

struct AudioPart
{
    QString encoder;
    QString optionSwitch;
    QString options;
};

AudioPart audioPart(const CurrentProfile& profile)
{
    const OutputSelection& selection = profile.selection();
    const QString& codecText = selection[OutputSetting::AudioCodec].text;
    if (codecText == QLatin1String("MP3")) {
        const QString mode = profile.chosenValue(OutputSetting::Mp3Encode, QStringLiteral("vbr"));
        const QString options =
            mode == QLatin1String("vbr")
                ? QStringLiteral("vbr=2:q=") +
                      profile.chosenValue(OutputSetting::VbrQuality, QStringLiteral("6"))
                : mode + QStringLiteral(":br=") +
                      profile.chosenValue(OutputSetting::AbrCbrBitrate, QStringLiteral("224"));
        return {QStringLiteral("mp3lame"), QStringLiteral("-lameopts"), options};
    }
    if (codecText == QLatin1String("PCM"))
        return {QStringLiteral("pcm"), QString(), QString()};
    const QString codec = profile.chosenValue(OutputSetting::AudioCodec, QStringLiteral("ac3"));
    return {QStringLiteral("lavc"), QStringLiteral("-lavcopts"),
            QStringLiteral("acodec=") + codec + QStringLiteral(":abitrate=") +
                limitedAudioBitrate(selection)};
}

// The pictures go into the output as they are: no size, bitrate, aspect or frame rate. The
// sound is copied too, or encoded once for the whole output.
QString copyOptions(const CurrentProfile& profile)
{
    QStringList words{QStringLiteral("-ovc"), kCopyValue, QStringLiteral("-oac")};
    if (copiesAudio(profile))
        return QLatin1Char(' ') + (words << kCopyValue).join(QLatin1Char(' '));
    const AudioPart audio = audioPart(profile);
    words << audio.encoder;
    if (!audio.optionSwitch.isEmpty())
        words << audio.optionSwitch << audio.options;
    words << QStringLiteral("-channels")
          << profile.chosenValue(OutputSetting::Channels, QStringLiteral("2"))
          << QStringLiteral("-srate") << profile.selection()[OutputSetting::SampleRate].text;
    return QLatin1Char(' ') + words.join(QLatin1Char(' '));
}

} // namespace

QString chosenAspectText(const CurrentProfile& profile)
{
    // Only the first choice means "automatic"; nothing selected is an ordinary lookup.
    if (profile.selection()[OutputSetting::Aspect].index == 0)
        return QString();
    return profile.chosenValue(OutputSetting::Aspect, QStringLiteral("16:9"));
}

bool copiesVideo(const CurrentProfile& profile)
{
    return profile.chosenValue(OutputSetting::VideoCodec, QString()) == kCopyValue;
}

bool copiesAudio(const CurrentProfile& profile)
{
    return copiesVideo(profile) &&
           profile.chosenValue(OutputSetting::AudioCodec, QString()) == kCopyValue;
}

bool settingUnused(const CurrentProfile& profile, OutputSetting setting)
{
    switch (setting) {
    case OutputSetting::VideoSize:
    case OutputSetting::VideoBitrate:
    case OutputSetting::Aspect:
        return copiesVideo(profile);
    case OutputSetting::Mp3Encode:
    case OutputSetting::VbrQuality:
    case OutputSetting::AbrCbrBitrate:
    case OutputSetting::AudioBitrate:
    case OutputSetting::SampleRate:
    case OutputSetting::Channels:
        return copiesAudio(profile);
    case OutputSetting::VideoCodec:
    case OutputSetting::AudioCodec:
        break;
    }
    return false;
}

QString pictureSizeText(const CurrentProfile& profile)
{
    const OutputSelection& selection = profile.selection();
    if (selection.selectSize)
        return profile.chosenValue(OutputSetting::VideoSize, QStringLiteral("640:480"));
    return selection.width + QLatin1Char(':') + selection.height;
}

QString GetEncoderOptions(const CurrentProfile& profile)
{
    if (copiesVideo(profile))
        return copyOptions(profile);
    const QString video = videoOptions(profile);
    const AudioPart audio = audioPart(profile);
    const QString channels = profile.chosenValue(OutputSetting::Channels, QStringLiteral("2"));
    // Every blank is written even when the piece after it is empty.
    return QStringList{QString(),
                       QStringLiteral("-ovc"),
                       QStringLiteral("lavc"),
                       QStringLiteral("-lavcopts"),
                       video,
                       QStringLiteral("-oac"),
                       audio.encoder,
                       audio.optionSwitch,
                       audio.options,
                       QStringLiteral("-channels"),
                       channels,
                       QStringLiteral("-vf"),
                       QStringLiteral("scale=") + pictureSizeText(profile),
                       QStringLiteral("-srate"),
                       profile.selection()[OutputSetting::SampleRate].text}
        .join(QLatin1Char(' '));
}
