// The interpreter object and its variable operations.
#include <pthread.h>

#include <algorithm>

#include "interpreter/interpreter_state.h"
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
        case Abandonment::RecursionLimit: return "Error: maximum recursion depth exceeded\n";
        case Abandonment::OutOfMemory: return "Error: out of memory\n";
        case Abandonment::Interrupted: return "Interrupted\n";
        case Abandonment::TimeBudget: return "Error: time budget exceeded\n";
        case Abandonment::None: break;
    }
    return "";
}

}  // namespace

bool extra_debug() { return extra_debug_switch; }
void set_extra_debug(bool on) { extra_debug_switch = on; }

void trace(std::string_view message) { log_line("DEBUG", message); }
void trace_call(std::string_view message) { log_line("DEBUG CALL", message); }

Interpreter::Interpreter(std::shared_ptr<NameTable> names, RunLimits run_limits,
                         std::vector<std::string> loading)
    : limits(run_limits), loading_chain(std::move(loading)), stack_limit(find_stack_limit()),
      names_(std::move(names)) {
    grow(static_cast<Symbol>(names_->size()));
}

Interpreter::~Interpreter() {
    // Values go first: globals, scopes, module table, pending return. The graphics state
    // (closing any window) and the remaining tables follow as members.
    globals_.clear();
    has_global_.clear();
    bindings_.clear();
    scope_starts_.clear();
    modules.clear();
    return_value = Value();
}

void Interpreter::abandon(Abandonment why) {
    if (abandoned()) return;
    write_err(abandonment_message(why));
    abandonment_ = why;
}

void Interpreter::report(std::string_view text) {
    if (!abandoned()) write_err(text);
}

void Interpreter::check_deadline() {
    if (std::chrono::steady_clock::now() >= *limits.deadline) abandon(Abandonment::TimeBudget);
}

void Interpreter::grow(Symbol symbol) {
    size_t size = std::max<size_t>(static_cast<size_t>(symbol) + 1, names_->size());
    size = std::max(size, top_.size() * 2);
    top_.resize(size, kNoBinding);
    globals_.resize(size);
    has_global_.resize(size, 0);
    declared_global_.resize(size, 0);
}

Value Interpreter::get_variable(std::string_view name) {
    size_t dot = name.find('.');
    if (dot == std::string_view::npos) return get_variable(names_->intern(name));

    std::string module(name.substr(0, dot));
    std::string_view item = name.substr(dot + 1);
    bool tracing = extra_debug();
    if (tracing) {
        trace("Looking up module.item: module='" + module + "', item='" + std::string(item) + "'");
    }
    auto found = modules.find(module);
    if (found == modules.end()) {
        if (tracing) {
            trace("Module '" + module + "' not found in modules");
            std::string list = "[";
            bool first = true;
            for (const auto& entry : modules) {
                if (!first) list += ", ";
                first = false;
                list += debug_quote(entry.first);
            }
            trace("Available modules: " + list + "]");
        }
        return Value();
    }
    if (tracing) trace("Found module '" + module + "' in modules");
    auto entry = found->second->find(item);
    if (entry == found->second->end()) return Value();
    if (tracing) trace("Found item '" + std::string(item) + "' in module");
    return entry->second;
}

Value* Interpreter::shared_assignment_slot(Symbol symbol) {
    ensure_symbol(symbol);
    uint32_t top = top_[symbol];
    if (scope_starts_.empty() || declared_global_[symbol]) {
        return top == kNoBinding ? &globals_[symbol] : nullptr;
    }
    if (top != kNoBinding && top >= scope_starts_.back()) return &bindings_[top].value;
    return nullptr;
}

void Interpreter::set_global(Symbol symbol, Value value) {
    ensure_symbol(symbol);
    globals_[symbol] = std::move(value);
    has_global_[symbol] = 1;
}

void Interpreter::declare_global(Symbol symbol) {
    ensure_symbol(symbol);
    declared_global_[symbol] = 1;
}

void Interpreter::pop_scope() {
    uint32_t start = scope_starts_.back();
    scope_starts_.pop_back();
    for (size_t i = bindings_.size(); i > start; --i) {
        const Binding& binding = bindings_[i - 1];
        top_[binding.symbol] = binding.shadowed;
    }
    bindings_.erase(bindings_.begin() + start, bindings_.end());
}

std::vector<std::pair<std::string, Value>> Interpreter::global_entries() const {
    std::vector<std::pair<std::string, Value>> entries;
    for (size_t symbol = 0; symbol < globals_.size(); ++symbol) {
        if (has_global_[symbol]) {
            entries.emplace_back(names_->text(static_cast<Symbol>(symbol)), globals_[symbol]);
        }
    }
    return entries;
}

}  // namespace tarnel
