#include "support/interrupt.h"

#include <poll.h>
#include <pthread.h>

#include <cerrno>

namespace tarnel {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void raise_interrupt_flag(int) {
    interrupted = 1;
}

}  // namespace

const volatile std::sig_atomic_t* interrupt_flag() {
    return &interrupted;
}

bool interrupt_requested() {
    return interrupted != 0;
}

void clear_interrupt() {
    interrupted = 0;
}

bool wait_for_input(int fd) {
    sigset_t sigint;
    sigemptyset(&sigint);
    sigaddset(&sigint, SIGINT);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &sigint, &previous);
    pollfd entry{fd, POLLIN, 0};
    while (interrupted == 0) {
        // A failed wait is left for the read that follows to report; another signal than
        // SIGINT only wakes the wait.
        if (::ppoll(&entry, 1, nullptr, &previous) >= 0 || errno != EINTR) break;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return interrupted == 0;
}

InterruptCatcher::InterruptCatcher() {
    struct sigaction action {};
    action.sa_handler = raise_interrupt_flag;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocking read or wait returns EINTR
    sigaction(SIGINT, &action, &previous_);
}

InterruptCatcher::~InterruptCatcher() {
    sigaction(SIGINT, &previous_, nullptr);
}

SigintMask::SigintMask(Mode mode) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    pthread_sigmask(mode == Mode::Block ? SIG_BLOCK : SIG_UNBLOCK, &set, &previous_);
}

SigintMask::~SigintMask() {
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace tarnel
