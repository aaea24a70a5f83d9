// Ctrl-C for the interactive shell: SIGINT raises a flag instead of ending the process.
//
// The flag is the process's one piece of signal state. Long-running work polls it (the engine
// at loop back edges and calls, the HTTP server and client while they wait); blocking reads
// and waits return early with EINTR because the handler is installed without SA_RESTART.
// Without an InterruptCatcher SIGINT keeps its default action and the flag stays down.
#pragma once

#include <signal.h>

#include <csignal>

namespace tarnel {

// The flag the handler raises; non-zero once SIGINT has arrived.
const volatile std::sig_atomic_t* interrupt_flag();
bool interrupt_requested();
void clear_interrupt();

// Waits until `fd` has input (or end of input, or an error) to read; false when Ctrl-C came,
// also just before the wait began: the flag is checked with SIGINT blocked and the wait
// unblocks it atomically, so no interrupt slips in between and leaves a read asleep.
bool wait_for_input(int fd);

// While it lives, SIGINT raises the flag; the previous action comes back afterwards.
class InterruptCatcher {
  public:
    InterruptCatcher();
    ~InterruptCatcher();
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

  private:
    struct sigaction previous_ {};
};

// Blocks (or unblocks) SIGINT for the calling thread while it lives. A signal sent to the
// process goes to a thread that does not block it, so the thread whose reads should be cut
// short unblocks it and the others block it.
class SigintMask {
  public:
    enum class Mode { Block, Unblock };
    explicit SigintMask(Mode mode);
    ~SigintMask();
    SigintMask(const SigintMask&) = delete;
    SigintMask& operator=(const SigintMask&) = delete;

  private:
    sigset_t previous_{};
};

}  // namespace tarnel
