#include "LibavLog.h"

#include "EncoderContract.h"

extern "C" {
#include <libavutil/log.h>
}

#include <mutex>
#include <string>

namespace asapi {
namespace {

std::FILE* g_errors = stderr;

// Decoding threads log at once, and a line may come in pieces: each is written whole.
void writeMarked(void* context, int level, const char* format, va_list arguments)
{
    if (level > av_log_get_level())
        return;
    static std::mutex mutex;
    static std::string pending;
    static int printPrefix = 1;
    const std::lock_guard lock(mutex);
    char piece[1024];
    av_log_format_line2(context, level, format, arguments, piece, sizeof piece, &printPrefix);
    pending += piece;
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;
         pending.erase(0, end + 1))
        std::fputs(vantomel::formatEncoderMessage(vantomel::EncoderMessageType::Libav,
                                                  std::string_view(pending).substr(0, end))
                       .c_str(),
                   g_errors);
}

} // namespace

void markLibavLines(std::FILE* errors)
{
    g_errors = errors;
    av_log_set_callback(writeMarked);
}

} // namespace asapi
