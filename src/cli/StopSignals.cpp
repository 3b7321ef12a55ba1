#include "StopSignals.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};
volatile std::sig_atomic_t stopArrived = 0;

void onStopSignal(int)
{
    stopArrived = 1;
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

void handle(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a question read from the terminal ends at the signal.
    action.sa_flags = 0;
    sigaction(signal, &action, nullptr);
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent)
{
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readPipe);
    // A closed terminal (SIGHUP) stops the job as SIGTERM does, so that its folder goes too.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        handle(signal, onStopSignal);
    // A reader that went away ("| head -1") must not end the job: what is printed then is lost.
    handle(SIGPIPE, SIG_IGN);
}

StopSignals::~StopSignals()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        handle(signal, SIG_DFL);
    delete m_notifier;
    for (int& end : pipeEnds) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

bool StopSignals::arrived()
{
    return stopArrived != 0;
}

void StopSignals::readPipe()
{
    char bytes[16];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
    emit stopAsked();
}
