#include "StopSignal.h"

#include <atomic>
#include <csignal>

namespace asapi {
namespace {

std::atomic<bool> stopFlag{false};

extern "C" void onStopSignal(int)
{
    stopFlag.store(true);
}

} // namespace

void installStopHandlers()
{
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    // A reader that went away must not kill the encoder half-way through a file.
    std::signal(SIGPIPE, SIG_IGN);
    // A file size limit makes writes fail, which is reported and cleaned up like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool stopRequested()
{
    return stopFlag.load(std::memory_order_relaxed);
}

} // namespace asapi
