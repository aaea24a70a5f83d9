#include "support/console.h"

#include <pthread.h>

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
    std::fflush(stdout);
    line.clear();
    if (interrupt_requested()) return false;  // Ctrl-C came before the read began
    int c;
    while ((c = std::getchar()) != EOF) {
        line.push_back(static_cast<char>(c));
        if (c == '\n') break;
    }
    // A read cut short by a caught signal is no end of input: later reads go on.
    if (c == EOF && std::ferror(stdin) && errno == EINTR) std::clearerr(stdin);
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
