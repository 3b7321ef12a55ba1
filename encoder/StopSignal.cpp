#include "StopSignal.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <semaphore.h>
#include <thread>
#include <unistd.h>

namespace asapi {
namespace {

// Interrupts a blocked system call in the thread it is sent to; it does nothing else.
constexpr int wakeSignal = SIGUSR1;
// Often enough that a stop ends a blocked call at once, even one that began just after a wake.
constexpr long wakeIntervalNanoseconds = 10'000'000;

// The program's Stop, and its death: discards the run (see DiscardableName).
constexpr int discardSignal = SIGUSR2;
// How long a discard waits for a name being made; a file system can hang.
constexpr int namingWaitMilliseconds = 1000;

std::atomic<bool> stopFlag{false};
sem_t stopArrived;
// The kernel ids of the threads now in a blocking call; 0 marks a free slot.
std::array<std::atomic<pid_t>, 32> blockedThreads{};

enum NameState
{
    NoName,
    MakingName,
    NamePublished,
};
std::atomic<int> nameState{NoName};
// The published name, read by the discard signal's handler: no allocation there.
char discardableName[PATH_MAX];

extern "C" void onStopSignal(int)
{
    const int savedErrno = errno;
    if (!stopFlag.exchange(true))
        sem_post(&stopArrived);
    errno = savedErrno;
}

extern "C" void onWakeSignal(int) {}

// Only calls that are safe in a signal handler. The thread that makes a name blocks this
// signal meanwhile, so a discard never waits on the thread it interrupted.
extern "C" void onDiscardSignal(int)
{
    const timespec millisecond{0, 1'000'000};
    for (int waited = 0; waited < namingWaitMilliseconds && nameState.load() == MakingName;
         ++waited)
        nanosleep(&millisecond, nullptr);
    if (nameState.load() == NamePublished)
        unlink(discardableName);
    kill(getpid(), SIGKILL);
}

// A process-wide signal reaches one thread of the kernel's choosing, and a system call returns
// EINTR only in that one. Once a stop has arrived, every thread that waits in a blocking call is
// woken, again and again until it has left the call.
void wakeBlockedThreads()
{
    while (sem_wait(&stopArrived) != 0) {
    }
    const timespec interval{0, wakeIntervalNanoseconds};
    while (true) {
        for (const auto& slot : blockedThreads)
            if (const pid_t thread = slot.load())
                tgkill(getpid(), thread, wakeSignal);
        nanosleep(&interval, nullptr);
    }
}

void handle(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking call returns EINTR, so its loop can look at the stop request.
    action.sa_flags = 0;
    sigaction(signal, &action, nullptr);
}

} // namespace

void installStopHandlers()
{
    sem_init(&stopArrived, 0, 0);
    // The waking thread takes no signals itself; it starts with everything blocked.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    std::thread(wakeBlockedThreads).detach();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    handle(wakeSignal, onWakeSignal);
    handle(discardSignal, onDiscardSignal);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        handle(signal, onStopSignal);
    // A reader that went away must not kill the encoder half-way through a file.
    std::signal(SIGPIPE, SIG_IGN);
    // A file size limit makes writes fail, which is reported and cleaned up like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool stopRequested()
{
    return stopFlag.load(std::memory_order_relaxed);
}

int interruptWhenStopped(void*)
{
    return stopRequested() ? 1 : 0;
}

BlockingCall::BlockingCall() : m_slot(-1)
{
    const pid_t self = gettid();
    for (std::size_t i = 0; i < blockedThreads.size(); ++i) {
        pid_t expected = 0;
        if (blockedThreads[i].compare_exchange_strong(expected, self)) {
            m_slot = static_cast<int>(i);
            return;
        }
    }
}

BlockingCall::~BlockingCall()
{
    if (m_slot >= 0)
        blockedThreads[static_cast<std::size_t>(m_slot)].store(0);
}

DiscardableName::DiscardableName()
{
    sigset_t discard;
    sigemptyset(&discard);
    sigaddset(&discard, discardSignal);
    pthread_sigmask(SIG_BLOCK, &discard, &m_previousMask);
    nameState.store(MakingName);
}

DiscardableName::~DiscardableName()
{
    if (!m_published)
        nameState.store(NoName);
    // A discard signal held back meanwhile comes now.
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

void DiscardableName::publish(const std::string& name)
{
    // A longer name cannot be made.
    if (name.size() >= sizeof discardableName)
        return;
    std::memcpy(discardableName, name.c_str(), name.size() + 1);
    nameState.store(NamePublished);
    m_published = true;
}

void DiscardableName::forget()
{
    nameState.store(NoName);
}

} // namespace asapi
