#include "MediaProbe.h"

#include "Durations.h"
#include "MediaInfoDll.h"

#include <QFileInfo>
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
    m_frameSizeText = read(handle, MediaInfo_Stream_Video, L"Width") + QLatin1Char('x') +
                      read(handle, MediaInfo_Stream_Video, L"Height");
}

TrackLengths probeTrackLengths(const QString& path)
{
    useUtf8ForFileNames();
    Handle handle(MediaInfo_New());
    openRegularFile(handle, path);
    return {trackTimes(handle, MediaInfo_Stream_Video), trackTimes(handle, MediaInfo_Stream_Audio)};
}
