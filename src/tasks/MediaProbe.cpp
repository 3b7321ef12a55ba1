#include "MediaProbe.h"

#include "Durations.h"
#include "MediaInfoDll.h"

#include <QFileInfo>
#include <QHash>
#include <QTimeZone>
#include <clocale>
#include <cmath>
#include <cstring>
#include <langinfo.h>
#include <memory>

namespace {

// The library turns wide file names into bytes with the C library's character type, which is
// plain ASCII until someone picks a locale. Qt always writes file names as UTF-8, so the two
// must agree or non-ASCII paths cannot be opened.
void useUtf8ForFileNames()
{
    static const bool once = [] {
        if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
            std::setlocale(LC_CTYPE, "C.UTF-8");
        return true;
    }();
    Q_UNUSED(once);
}

struct HandleDeleter
{
    void operator()(void* handle) const
    {
        MediaInfo_Close(handle);
        MediaInfo_Delete(handle);
    }
};
using Handle = std::unique_ptr<void, HandleDeleter>;

QString read(const Handle& handle, MediaInfo_stream_C streamKind, const wchar_t* parameter)
{
    const wchar_t* value = MediaInfo_Get(handle.get(), streamKind, 0, parameter,
                                         MediaInfo_Info_Text, MediaInfo_Info_Name);
    return value ? QString::fromWCharArray(value) : QString();
}

void openRegularFile(const Handle& handle, const QString& path)
{
    // Only regular files go to the library: a pipe or device named like a video would block it.
    if (QFileInfo(path).isFile())
        MediaInfo_Open(handle.get(), path.toStdWString().c_str());
}

std::optional<TrackTimes> trackTimes(const Handle& handle, MediaInfo_stream_C streamKind)
{
    bool isNumber = false;
    const double length = read(handle, streamKind, L"Duration").toDouble(&isNumber);
    if (!isNumber || !std::isfinite(length))
        return std::nullopt;
    const double delay = read(handle, streamKind, L"Delay").toDouble(); // none reads as 0
    return TrackTimes{std::isfinite(delay) ? delay / 1000.0 : 0.0, length / 1000.0};
}

// What the library calls a codec, as people know it: "AVC" is H.264.
QString codecName(const QString& format, const QString& version)
{
    static const QHash<QString, QString> known{
        {QStringLiteral("AVC"), QStringLiteral("H.264")},
        {QStringLiteral("MPEG-4 Visual"), QStringLiteral("MPEG-4")},
        {QStringLiteral("AC-3"), QStringLiteral("AC-3")},
        {QStringLiteral("E-AC-3"), QStringLiteral("E-AC-3")},
    };
    if (format == QLatin1String("MPEG Video"))
        return version.endsWith(QLatin1Char('2')) ? QStringLiteral("MPEG-2")
                                                  : QStringLiteral("MPEG-1");
    return known.value(format, format);
}

// "High@L4.1" is High: the level says little to a user.
QString profileName(const QString& profile)
{
    return profile.section(QLatin1Char('@'), 0, 0).trimmed();
}

QString videoText(const Handle& handle)
{
    const QString format = read(handle, MediaInfo_Stream_Video, L"Format");
    if (format.isEmpty())
        return {};
    const QString profile = profileName(read(handle, MediaInfo_Stream_Video, L"Format_Profile"));
    const QString codec =
        codecName(format, read(handle, MediaInfo_Stream_Video, L"Format_Version"));
    return profile.isEmpty() ? codec : codec + QLatin1Char(' ') + profile;
}

QString soundText(const Handle& handle)
{
    const QString format = read(handle, MediaInfo_Stream_Audio, L"Format");
    if (format.isEmpty())
        return QStringLiteral("none");
    const QString layer = read(handle, MediaInfo_Stream_Audio, L"Format_Profile");
    const QString codec =
        format == QLatin1String("MPEG Audio")
            ? (layer == QLatin1String("Layer 3") ? QStringLiteral("MP3") : QStringLiteral("MP2"))
            : codecName(format, {});
    return soundFactsText(codec, read(handle, MediaInfo_Stream_Audio, L"SamplingRate").toDouble(),
                          read(handle, MediaInfo_Stream_Audio, L"Channel(s)").toInt());
}

// "29.970" is 29.97, "30.000" is 30.
QString frameRateText(const QString& rate)
{
    bool isNumber = false;
    const double value = rate.toDouble(&isNumber);
    if (!isNumber || value <= 0)
        return {};
    QString text = QString::number(value, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

// The library writes "2025-07-11 12:03:22 UTC", older ones "UTC 2025-07-11 12:03:22", and a
// phone's own record "2025-07-11T14:03:22+0200". A file that never had a date holds the
// container's zero, 1904 or 1970.
QDateTime takenDate(QString text)
{
    text = text.remove(QLatin1String("UTC")).trimmed();
    QDateTime taken = QDateTime::fromString(text, Qt::ISODate);
    if (!taken.isValid()) {
        taken = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        taken.setTimeZone(QTimeZone::utc());
    }
    return taken.isValid() && taken.date().year() > 1970 ? taken : QDateTime();
}

ClipFacts readFacts(const Handle& handle, const QString& path)
{
    ClipFacts facts;
    facts.frameRate = frameRateText(read(handle, MediaInfo_Stream_Video, L"FrameRate"));
    facts.video = videoText(handle);
    facts.sound = soundText(handle);
    // A phone's own record of the moment first; the time the file was written last.
    for (const wchar_t* key : {L"Recorded_Date", L"Encoded_Date", L"Tagged_Date"}) {
        facts.dateTaken = takenDate(read(handle, MediaInfo_Stream_General, key));
        if (facts.dateTaken.isValid())
            break;
    }
    const QFileInfo file(path);
    if (!facts.dateTaken.isValid())
        facts.dateTaken = file.lastModified();
    facts.fileSize = file.size();
    return facts;
}

// Width "x" height as the picture plays: a clip filmed upright is often stored on its side
// with a quarter turn to show it.
QString shownFrameSize(const Handle& handle)
{
    const QString width = read(handle, MediaInfo_Stream_Video, L"Width");
    const QString height = read(handle, MediaInfo_Stream_Video, L"Height");
    const int turn =
        (std::lround(read(handle, MediaInfo_Stream_Video, L"Rotation").toDouble()) % 360 + 360) %
        360;
    return turn == 90 || turn == 270 ? height + QLatin1Char('x') + width
                                     : width + QLatin1Char('x') + height;
}

} // namespace

ProbeError::ProbeError(const QString& playTime, const QString& path)
    : std::runtime_error("not a valid floating point value"),
      m_message(QStringLiteral("'%1' is not a valid floating point value").arg(playTime)),
      m_path(path)
{
}

MediaProbe::MediaProbe()
{
    useUtf8ForFileNames();
}

void MediaProbe::probe(const QString& path)
{
    Handle handle(MediaInfo_New());
    openRegularFile(handle, path);

    const QString playTime = read(handle, MediaInfo_Stream_General, L"PlayTime");
    bool isNumber = false;
    const double milliseconds = playTime.toDouble(&isNumber);
    if (!isNumber || !std::isfinite(milliseconds))
        throw ProbeError(playTime, path);
    m_durationText = FormatDuration(milliseconds / 1000.0);
    m_frameSizeText = shownFrameSize(handle);
    m_facts = readFacts(handle, path);
}

TrackLengths probeTrackLengths(const QString& path)
{
    useUtf8ForFileNames();
    Handle handle(MediaInfo_New());
    openRegularFile(handle, path);
    return {trackTimes(handle, MediaInfo_Stream_Video), trackTimes(handle, MediaInfo_Stream_Audio)};
}
