// The interpreter object: creation, abandonment, and the dotted reads of module items.
#include <pthread.h>

#include <algorithm>

#include "interpreter_state.h"
#include "support/console.h"

namespace tarnel {

namespace {

bool extra_debug_switch = false;  // process-wide, set once per run before anything executes

// Recursion stops this far above the end of the native stack: a quarter of the stack, at most
// 16 MB, leaves room for the deepest work between two checks (nested expressions, a module
// load, a builtin).
constexpr size_t kMaxStackReserve = size_t{16} << 20;
// Assumed when the thread's stack cannot be asked for: the smallest usual main-thread stack.
constexpr size_t kAssumedStack = size_t{8} << 20;

const char* find_stack_limit() {
    void* low = nullptr;
    size_t size = 0;
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        pthread_attr_getstack(&attributes, &low, &size);
        pthread_attr_destroy(&attributes);
    }
    if (low == nullptr || size == 0) {
        // Measure from here: the stack grows down, so its end lies below this frame.
        size = kAssumedStack;
        low = static_cast<char*>(__builtin_frame_address(0)) - kAssumedStack / 2;
    }
    return static_cast<const char*>(low) + std::min(size / 4, kMaxStackReserve);
}

const char* abandonment_message(Abandonment why) {
    switch (why) {
        case Abandonment::RecursionLimit:
            return "Error: maximum recursion depth exceeded\n";
        case Abandonment::OutOfMemory:
            return "Error: out of memory\n";
        case Abandonment::Interrupted:
            // On a line of its own: the terminal has echoed ^C wherever the cursor was.
            return "\nInterrupted\n";
        case Abandonment::TimeBudget:
            return "Error: time budget exceeded\n";
        case Abandonment::None:
            break;
    }
    return "";
}

}  // namespace

bool extra_debug() {
    return extra_debug_switch;
}
void set_extra_debug(bool on) {
    extra_debug_switch = on;
}

void trace(std::string_view message) {
    log_line("DEBUG", message);
}
void trace_call(std::string_view message) {
    log_line("DEBUG CALL", message);
}

Interpreter::Interpreter(std::shared_ptr<NameTable> names, RunLimits run_limits,
                         std::vector<std::string> loading)
    : env(*names), limits(run_limits), stack_limit(find_stack_limit()), names_(std::move(names)) {
    registry.loading_chain = std::move(loading);
}

Interpreter::~Interpreter() {
    // Values go first: globals and scopes, module table, pending return. The graphics state
    // (closing any window) and the remaining tables follow as members.
    env.clear();
    registry.modules.clear();
    signals.clear();
}

void Interpreter::abandon(Abandonment why) {
    if (abandoned()) return;
    write_err(abandonment_message(why));
    abandonment_ = why;
}

void Interpreter::report(std::string_view text) {
    if (!abandoned()) write_err(text);
}

bool Interpreter::poll() {
    if (limits.interrupt != nullptr && *limits.interrupt != 0) {
        abandon(Abandonment::Interrupted);
    } else if (limits.deadline && std::chrono::steady_clock::now() >= *limits.deadline) {
        abandon(Abandonment::TimeBudget);
    }
    return !abandoned();
}

Value Interpreter::get_variable(std::string_view name) {
    size_t dot = name.find('.');
    if (dot == std::string_view::npos) return env.get_variable(names_->intern(name));

    std::string module(name.substr(0, dot));
    std::string_view item = name.substr(dot + 1);
    bool tracing = extra_debug();
    if (tracing) {
        trace("Looking up module.item: module='" + module + "', item='" + std::string(item) + "'");
    }
    auto found = registry.modules.find(module);
    if (found == registry.modules.end()) {
        if (tracing) {
            trace("Module '" + module + "' not found in modules");
            std::string list = "[";
            bool first = true;
            for (const auto& entry : registry.modules) {
                if (!first) list += ", ";
                first = false;
                list += debug_quote(entry.first);
            }
            trace("Available modules: " + list + "]");
        }
        return Value();
    }
    if (tracing) trace("Found module '" + module + "' in modules");
    const DictMap& items = *found->second;
    const size_t at = items.find(item);
    if (at == DictMap::npos) return Value();
    if (tracing) trace("Found item '" + std::string(item) + "' in module");
    return items.value(at);
}

}  // namespace tarnel
