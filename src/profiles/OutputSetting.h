#pragma once

#include <QString>
#include <array>

// The eleven output settings a profile describes, in the order a load fills them. Each one's
// profile section is named exactly as the setting, and the same name is the hint of the dialog
// box that shows it.
enum class OutputSetting
{
    VideoCodec,
    VideoSize,
    VideoBitrate,
    Aspect,
    AudioCodec,
    Mp3Encode,
    VbrQuality,
    AbrCbrBitrate,
    AudioBitrate,
    SampleRate,
    Channels,
};

inline constexpr int kOutputSettingCount = 11;

inline constexpr std::array<OutputSetting, kOutputSettingCount> kOutputSettings = {
    OutputSetting::VideoCodec, OutputSetting::VideoSize,     OutputSetting::VideoBitrate,
    OutputSetting::Aspect,     OutputSetting::AudioCodec,    OutputSetting::Mp3Encode,
    OutputSetting::VbrQuality, OutputSetting::AbrCbrBitrate, OutputSetting::AudioBitrate,
    OutputSetting::SampleRate, OutputSetting::Channels,
};

// The profile section (and dialog hint) of a setting.
QString sectionName(OutputSetting setting);

// Array slot of a setting, for tables indexed by setting.
constexpr std::size_t slot(OutputSetting setting)
{
    return static_cast<std::size_t>(setting);
}
