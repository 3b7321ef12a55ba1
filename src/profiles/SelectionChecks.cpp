#include "SelectionChecks.h"

#include "prefs/IntegerText.h"

namespace {

bool isInteger(const QString& text)
{
    return parseIntegerText(text).has_value();
}

bool isMp2(const OutputSelection& selection)
{
    return selection[OutputSetting::AudioCodec].text == QLatin1String("MP2");
}

SelectionRefusal invalidAudioBitrate()
{
    return {SelectionRefusal::Field::AudioBitrate, QStringLiteral("Invalid Audio Bitrate"),
            QStringLiteral("The Audio bitrate is invalid.")};
}

} // namespace

std::optional<SelectionRefusal> checkOutputSelection(const OutputSelection& selection)
{
    using Field = SelectionRefusal::Field;
    if (!isInteger(selection[OutputSetting::VideoBitrate].text))
        return SelectionRefusal{Field::VideoBitrate, QStringLiteral("Invalid Video Bitrate"),
                                QStringLiteral("The video bitrate is invalid.")};
    if (!selection.selectSize && !isInteger(selection.width))
        return SelectionRefusal{Field::Width, QStringLiteral("Invalid Width"),
                                QStringLiteral("The output width is invalid.")};
    if (!selection.selectSize && !isInteger(selection.height))
        return SelectionRefusal{Field::Height, QStringLiteral("Invalid Height"),
                                QStringLiteral("The output height is invalid.")};
    if (!isInteger(selection[OutputSetting::SampleRate].text))
        return SelectionRefusal{Field::SampleRate, QStringLiteral("Invalid Sample Rate"),
                                QStringLiteral("The sample rate is invalid.")};
    const auto audioBitrate = parseIntegerText(selection[OutputSetting::AudioBitrate].text);
    if (!audioBitrate)
        return invalidAudioBitrate();
    if (isMp2(selection) && *audioBitrate > kMaxMp2Bitrate)
        return SelectionRefusal{
            Field::AudioBitrate, QStringLiteral("Invalid Audio Bitrate"),
            QStringLiteral("The maximum value of audio bitrate for MP2 codec is 128"), true};
    return std::nullopt;
}

std::optional<SelectionRefusal> checkSelectionForStart(const OutputSelection& selection)
{
    if (isMp2(selection) && !isInteger(selection[OutputSetting::AudioBitrate].text))
        return invalidAudioBitrate();
    return std::nullopt;
}
