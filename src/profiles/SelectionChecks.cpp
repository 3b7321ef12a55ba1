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
    return invalidBoxRefusal(SelectionRefusal::Field::AudioBitrate);
}

} // namespace

SelectionRefusal invalidBoxRefusal(SelectionRefusal::Field field)
{
    using Field = SelectionRefusal::Field;
    switch (field) {
    case Field::VideoBitrate:
        return {field, QStringLiteral("Invalid Video Bitrate"),
                QStringLiteral("The video bitrate is invalid.")};
    case Field::Width:
        return {field, QStringLiteral("Invalid Width"),
                QStringLiteral("The output width is invalid.")};
    case Field::Height:
        return {field, QStringLiteral("Invalid Height"),
                QStringLiteral("The output height is invalid.")};
    case Field::SampleRate:
        return {field, QStringLiteral("Invalid Sample Rate"),
                QStringLiteral("The sample rate is invalid.")};
    case Field::AudioBitrate:
        break;
    }
    return {Field::AudioBitrate, QStringLiteral("Invalid Audio Bitrate"),
            QStringLiteral("The Audio bitrate is invalid.")};
}

std::optional<SelectionRefusal> checkOutputSelection(const OutputSelection& selection)
{
    using Field = SelectionRefusal::Field;
    if (!isInteger(selection[OutputSetting::VideoBitrate].text))
        return invalidBoxRefusal(Field::VideoBitrate);
    const bool manualSize = !selection.selectSize && !selection.sizeOfFirstVideo;
    if (manualSize && !isInteger(selection.width))
        return invalidBoxRefusal(Field::Width);
    if (manualSize && !isInteger(selection.height))
        return invalidBoxRefusal(Field::Height);
    if (!isInteger(selection[OutputSetting::SampleRate].text))
        return invalidBoxRefusal(Field::SampleRate);
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
