// asapi.dll: the encoder the joiner drives, on MEncoder's command line and the FFmpeg libraries.
#include "CommandLine.h"
#include "Pipeline.h"
#include "StopSignal.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>

int main(int argc, char** argv)
{
    asapi::installStopHandlers();
    av_log_set_level(AV_LOG_ERROR);
    asapi::CommandLineOptions options;
    try {
        options = asapi::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const asapi::UsageError& error) {
        std::fprintf(stderr, "%s\n", error.message.c_str());
        return asapi::ExitFailed;
    }
    return asapi::runEncoder(options, stdout, stderr);
}
