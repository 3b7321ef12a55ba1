#pragma once

#include <csignal>
#include <string>

namespace asapi {

// SIGINT, SIGTERM and SIGHUP ask the encoder to stop reading and finish the file properly
// (a file cut short never replaces one that stands at the output path: see runEncoder). A
// thread blocked in an open, read or write that marked itself with BlockingCall is woken by a
// signal of its own until the call gives up, so a stop also ends a wait on a FIFO or a stalled
// input.
//
// SIGUSR2, the program's Stop and what the encoder gets when the program dies, discards the run
// instead: the file that a DiscardableName names goes, and the encoder kills itself, so that
// nothing is left on any file system and the program sees a kill.
void installStopHandlers();
bool stopRequested();

// FFmpeg's interrupt callback: non-zero once a stop has been asked for.
int interruptWhenStopped(void* unused);

// Marks the calling thread as waiting in a system call that a stop must cut short; the call
// then fails with EINTR.
class BlockingCall
{
public:
    BlockingCall();
    ~BlockingCall();
    BlockingCall(const BlockingCall&) = delete;
    BlockingCall& operator=(const BlockingCall&) = delete;

private:
    int m_slot;
};

// Publishes the name under which the output is written, for the discard signal to remove; one
// name at a time. Made just before the file is created: a discard signal that comes meanwhile
// waits until the name is published, or until this ends without one.
class DiscardableName
{
public:
    DiscardableName();
    ~DiscardableName();
    DiscardableName(const DiscardableName&) = delete;
    DiscardableName& operator=(const DiscardableName&) = delete;

    // Once the file is made under `name`.
    void publish(const std::string& name);
    // Once the name is gone: the file placed, or removed.
    static void forget();

private:
    sigset_t m_previousMask;
    bool m_published = false;
};

} // namespace asapi
