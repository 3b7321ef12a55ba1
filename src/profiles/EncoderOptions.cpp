#include "EncoderOptions.h"

#include "CurrentProfile.h"
#include "SelectionChecks.h"
#include "prefs/IntegerText.h"

#include <QRegularExpression>

namespace {

// The value of the video and audio choices that keep the videos' own streams.
const QString kCopyValue = QStringLiteral("copy");

// The profile's values as the option text takes them. Each is checked to be the one number or
// word it stands for, and the first that is not is kept: the option text is split at blanks, so
// a value such as "48000 -o file" would otherwise become options of its own.
class OptionValues
{
public:
    explicit OptionValues(const CurrentProfile& profile) : m_profile(profile) {}

    const CurrentProfile& profile() const { return m_profile; }
    const OutputSelection& selection() const { return m_profile.selection(); }

    // The encoder value of the choice now selected (see CurrentProfile::chosenValue).
    QString chosen(OutputSetting setting, const QString& defaultValue, OptionValueKind kind)
    {
        const int index = selection()[setting].index;
        const QString value = m_profile.value(setting, index, defaultValue);
        check(value, kind, sectionName(setting), QStringLiteral("value") + QString::number(index));
        return value;
    }

    // A number box's text: the selected choice's caption, or what was typed.
    QString text(OutputSetting setting, SelectionRefusal::Field box)
    {
        const SettingChoice& choice = selection()[setting];
        const ProfileChoiceList& offered = m_profile.choices(setting);
        if (choice.index >= 0 && offered.captions.value(choice.index) == choice.text)
            check(choice.text, OptionValueKind::Integer, sectionName(setting),
                  QStringLiteral("Caption") + QString::number(choice.index));
        else if (choice.index < 0 && offered.index < 0 && choice.text.isEmpty())
            check(choice.text, OptionValueKind::Integer, sectionName(setting),
                  QStringLiteral("Index"));
        else
            checkTyped(choice.text, box);
        return choice.text;
    }

    // One of the manual size fields.
    QString field(const QString& text, SelectionRefusal::Field box)
    {
        checkTyped(text, box);
        return text;
    }

    std::optional<OptionValueProblem> problem() const { return m_problem; }

private:
    void check(const QString& value, OptionValueKind kind, const QString& section,
               const QString& key)
    {
        if (!m_problem && !isOptionValue(value, kind))
            m_problem = OptionValueProblem{section, key, value, kind, std::nullopt};
    }

    void checkTyped(const QString& value, SelectionRefusal::Field box)
    {
        if (!m_problem && !isOptionValue(value, OptionValueKind::Integer))
            m_problem = OptionValueProblem{{}, {}, value, OptionValueKind::Integer, box};
    }

    const CurrentProfile& m_profile;
    std::optional<OptionValueProblem> m_problem;
};

// The display aspect the profile asks for; empty for its first choice, "Automatic".
QString aspectText(OptionValues& values)
{
    // Only the first choice means "automatic"; nothing selected is an ordinary lookup.
    if (values.selection()[OutputSetting::Aspect].index == 0)
        return QString();
    return values.chosen(OutputSetting::Aspect, QStringLiteral("16:9"), OptionValueKind::Aspect);
}

QString sizeText(OptionValues& values)
{
    const OutputSelection& selection = values.selection();
    if (selection.sizeOfFirstVideo && !values.profile().firstVideoSize().isEmpty())
        return QString(values.profile().firstVideoSize())
            .replace(QLatin1Char('x'), QLatin1Char(':'));
    // Before a first video is listed, the list's size stands in for it.
    if (selection.selectSize || selection.sizeOfFirstVideo)
        return values.chosen(OutputSetting::VideoSize, QStringLiteral("640:480"),
                             OptionValueKind::Size);
    return values.field(selection.width, SelectionRefusal::Field::Width) + QLatin1Char(':') +
           values.field(selection.height, SelectionRefusal::Field::Height);
}

QString videoOptions(OptionValues& values)
{
    const QString codec =
        values.chosen(OutputSetting::VideoCodec, QStringLiteral("mpeg4"), OptionValueKind::Word);
    const QString chosenAspect = aspectText(values);
    const QString aspect = chosenAspect.isEmpty() ? QStringLiteral("autoaspect")
                                                  : QStringLiteral("aspect=") + chosenAspect;
    return QStringLiteral("vcodec=") + codec + QStringLiteral(":vbitrate=") +
           values.text(OutputSetting::VideoBitrate, SelectionRefusal::Field::VideoBitrate) +
           QStringLiteral(":mbd=2:") + aspect;
}

QString limitedAudioBitrate(OptionValues& values)
{
    const QString text =
        values.text(OutputSetting::AudioBitrate, SelectionRefusal::Field::AudioBitrate);
    if (values.selection()[OutputSetting::AudioCodec].text != QLatin1String("MP2"))
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

AudioPart audioPart(OptionValues& values)
{
    using Kind = OptionValueKind;
    const QString& codecText = values.selection()[OutputSetting::AudioCodec].text;
    if (codecText == QLatin1String("MP3")) {
        const QString mode =
            values.chosen(OutputSetting::Mp3Encode, QStringLiteral("vbr"), Kind::Word);
        const QString options =
            mode == QLatin1String("vbr")
                ? QStringLiteral("vbr=2:q=") +
                      values.chosen(OutputSetting::VbrQuality, QStringLiteral("6"), Kind::Integer)
                : mode + QStringLiteral(":br=") +
                      values.chosen(OutputSetting::AbrCbrBitrate, QStringLiteral("224"),
                                    Kind::Integer);
        return {QStringLiteral("mp3lame"), QStringLiteral("-lameopts"), options};
    }
    if (codecText == QLatin1String("PCM"))
        return {QStringLiteral("pcm"), QString(), QString()};
    const QString codec =
        values.chosen(OutputSetting::AudioCodec, QStringLiteral("ac3"), Kind::Word);
    return {QStringLiteral("lavc"), QStringLiteral("-lavcopts"),
            QStringLiteral("acodec=") + codec + QStringLiteral(":abitrate=") +
                limitedAudioBitrate(values)};
}

QString channelsText(OptionValues& values)
{
    return values.chosen(OutputSetting::Channels, QStringLiteral("2"), OptionValueKind::Integer);
}

// The pictures go into the output as they are: no size, bitrate, aspect or frame rate. The
// sound is copied too, or encoded once for the whole output.
QString copyOptions(OptionValues& values)
{
    QStringList words{QStringLiteral("-ovc"), kCopyValue, QStringLiteral("-oac")};
    if (copiesAudio(values.profile()))
        return QLatin1Char(' ') + (words << kCopyValue).join(QLatin1Char(' '));
    const AudioPart audio = audioPart(values);
    words << audio.encoder;
    if (!audio.optionSwitch.isEmpty())
        words << audio.optionSwitch << audio.options;
    words << QStringLiteral("-channels") << channelsText(values) << QStringLiteral("-srate")
          << values.text(OutputSetting::SampleRate, SelectionRefusal::Field::SampleRate);
    return QLatin1Char(' ') + words.join(QLatin1Char(' '));
}

QString encoderOptions(OptionValues& values)
{
    if (copiesVideo(values.profile()))
        return copyOptions(values);
    const QString video = videoOptions(values);
    const AudioPart audio = audioPart(values);
    const QString channels = channelsText(values);
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
                       QStringLiteral("scale=") + sizeText(values),
                       QStringLiteral("-srate"),
                       values.text(OutputSetting::SampleRate, SelectionRefusal::Field::SampleRate)}
        .join(QLatin1Char(' '));
}

} // namespace

bool isOptionValue(const QString& value, OptionValueKind kind)
{
    static const QRegularExpression word(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9_.-]*$"));
    static const QRegularExpression size(QStringLiteral("^-?[0-9]+:-?[0-9]+$"));
    static const QRegularExpression aspect(
        QStringLiteral("^[0-9]+(\\.[0-9]+)?([:/][0-9]+(\\.[0-9]+)?)?$"));
    switch (kind) {
    case OptionValueKind::Integer:
        return parseIntegerText(value).has_value();
    case OptionValueKind::Word:
        return word.match(value).hasMatch();
    case OptionValueKind::Size:
        return size.match(value).hasMatch();
    case OptionValueKind::Aspect:
        return aspect.match(value).hasMatch();
    }
    return false;
}

QString chosenAspectText(const CurrentProfile& profile)
{
    OptionValues values(profile);
    return aspectText(values);
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
    OptionValues values(profile);
    return sizeText(values);
}

QString GetEncoderOptions(const CurrentProfile& profile)
{
    OptionValues values(profile);
    return encoderOptions(values);
}

std::optional<OptionValueProblem> checkOptionValues(const CurrentProfile& profile)
{
    if (!profile.path().isEmpty() &&
        !isOptionValue(profile.outputExtension().mid(1), OptionValueKind::Word))
        return OptionValueProblem{QStringLiteral("Main"), QStringLiteral("Type"),
                                  profile.outputExtension().mid(1), OptionValueKind::Word,
                                  std::nullopt};
    OptionValues values(profile);
    encoderOptions(values);
    return values.problem();
}
