#include "support/console.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "support/interrupt.h"

namespace tarnel {

namespace {

// Enough for well over 100,000 nested script calls, also with sanitizer-sized frames. Only the
// pages actually touched are ever committed, but the address space must be had: under a limit
// (ulimit -v) smaller stacks are tried in turn.
constexpr size_t kStackSizes[] = {size_t{4} << 30, size_t{1} << 30, size_t{256} << 20,
                                  size_t{64} << 20};

[[noreturn]] void quiet_exit() {
    // The reader of standard output is gone; nothing useful can be said any more.
    std::_Exit(0);
}

}  // namespace

void init_console() {
    std::signal(SIGPIPE, SIG_IGN);
    // Line-buffered everywhere, pipes and files included: a script that is killed, a server's
    // log and `tarnel s.tn | tee log` lose no finished line.
    std::setvbuf(stdout, nullptr, _IOLBF, 1 << 16);
}

void write_out(std::string_view text) {
    if (text.empty()) return;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) quiet_exit();
}

void flush_out() {
    if (std::fflush(stdout) != 0 && errno == EPIPE) quiet_exit();
}

void write_err(std::string_view text) {
    std::fflush(stdout);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

void log_line(std::string_view tag, std::string_view message) {
    std::string line;
    line.reserve(tag.size() + message.size() + 24);
    line += "\x1b[33m[\x1b[93m";
    line += tag;
    line += "\x1b[33m]\x1b[0m ";
    line += message;
    line += '\n';
    write_err(line);
}

bool read_line(std::string& line) {
    // Standard input is read here rather than through stdio, so that every blocking read waits
    // in wait_for_input, which Ctrl-C cuts short however close to the read it comes.
    struct InputBuffer {
        char bytes[1 << 16];
        size_t start = 0;
        size_t end = 0;
    };
    static InputBuffer input;
    std::fflush(stdout);
    line.clear();
    for (;;) {
        const char* first = input.bytes + input.start;
        const char* last = input.bytes + input.end;
        const char* newline = std::find(first, last, '\n');
        const bool whole = newline != last;
        line.append(first, whole ? newline + 1 : last);
        input.start = whole ? static_cast<size_t>(newline + 1 - input.bytes) : input.end;
        if (whole || !wait_for_input(STDIN_FILENO)) break;
        const ssize_t got = ::read(STDIN_FILENO, input.bytes, sizeof input.bytes);
        if (got < 0 && errno == EINTR) continue;  // another signal: the flag decides
        if (got <= 0) break;  // end of input (later reads try again) or a read error
        input.start = 0;
        input.end = static_cast<size_t>(got);
    }
    return !line.empty();
}

int run_on_large_stack(const std::function<int()>& work) {
    struct Job {
        const std::function<int()>* work;
        int result = 0;
    } job{&work};
    auto entry = [](void* raw) -> void* {
        auto* j = static_cast<Job*>(raw);
        j->result = (*j->work)();
        return nullptr;
    };
    for (size_t size : kStackSizes) {
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        pthread_attr_setstacksize(&attributes, size);
        pthread_t thread;
        const bool started = pthread_create(&thread, &attributes, entry, &job) == 0;
        pthread_attr_destroy(&attributes);
        if (started) {
            pthread_join(thread, nullptr);
            return job.result;
        }
    }
    // No separate stack to be had: run here; the interpreter measures whatever stack it gets.
    return work();
}

}  // namespace tarnel
