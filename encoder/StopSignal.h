#pragma once

namespace asapi {

// SIGINT, SIGTERM and SIGHUP ask the encoder to stop reading and finish the file properly
// (a file cut short never replaces one that stands at the output path: see runEncoder). A
// thread blocked in an open, read or write that marked itself with BlockingCall is woken by a
// signal of its own until the call gives up, so a stop also ends a wait on a FIFO or a stalled
// input.
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

} // namespace asapi
