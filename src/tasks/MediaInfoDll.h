#pragma once

#include <cstddef>

// The part of libmediainfo's C interface we call, in its wide-character form (the library's
// "UNICODE" build, which is the one Debian ships). Declared here rather than through
// MediaInfoDLL.h, which would load the library at run time instead of linking it.
extern "C" {

enum MediaInfo_stream_C : int
{
    MediaInfo_Stream_General = 0,
    MediaInfo_Stream_Video = 1,
    MediaInfo_Stream_Audio = 2,
};

enum MediaInfo_info_C : int
{
    MediaInfo_Info_Name = 0,
    MediaInfo_Info_Text = 1,
};

void* MediaInfo_New();
size_t MediaInfo_Open(void* handle, const wchar_t* file);
// The result points into the handle and is overwritten by the next call: copy it at once.
const wchar_t* MediaInfo_Get(void* handle, MediaInfo_stream_C streamKind, size_t streamNumber,
                             const wchar_t* parameter, MediaInfo_info_C infoKind,
                             MediaInfo_info_C searchKind);
void MediaInfo_Close(void* handle);
// Close only forgets the file; the handle itself is freed here.
void MediaInfo_Delete(void* handle);
}
