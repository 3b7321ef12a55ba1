#include "OutputSetting.h"

QString sectionName(OutputSetting setting)
{
    switch (setting) {
    case OutputSetting::VideoCodec:
        return QStringLiteral("Video Codec");
    case OutputSetting::VideoSize:
        return QStringLiteral("Video Size");
    case OutputSetting::VideoBitrate:
        return QStringLiteral("Video Bitrate");
    case OutputSetting::Aspect:
        return QStringLiteral("Aspect");
    case OutputSetting::AudioCodec:
        return QStringLiteral("Audio Codec");
    case OutputSetting::Mp3Encode:
        return QStringLiteral("MP3 Encode");
    case OutputSetting::VbrQuality:
        return QStringLiteral("VBR Quality");
    case OutputSetting::AbrCbrBitrate:
        return QStringLiteral("ABR CBR Bitrate");
    case OutputSetting::AudioBitrate:
        return QStringLiteral("Audio Bitrate");
    case OutputSetting::SampleRate:
        return QStringLiteral("Sample Rate");
    case OutputSetting::Channels:
        return QStringLiteral("Channels");
    }
    return QString();
}
