// asapi.dll: the encoder the joiner drives, on MEncoder's command line and the FFmpeg libraries.
#include "LibavLog.h"
#include "Pipeline.h"
#include "StopSignal.h"

extern "C" {
#include <libavutil/log.h>
}

int main(int argc, char** argv)
{
    asapi::installStopHandlers();
    av_log_set_level(AV_LOG_ERROR);
    asapi::markLibavLines(stderr);
    return static_cast<int>(
        asapi::runEncoder(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr));
}
