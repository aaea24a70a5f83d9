// The interpreter object and its variable operations.
#include <pthread.h>

#include "interpreter/interpreter_state.h"
#include "support/console.h"

namespace tarnel {

namespace {

bool extra_debug_switch = false;  // process-wide, set once per run before anything executes

// Recursion stops this far above the end of the native stack.
constexpr size_t kStackReserve = size_t{1} << 20;

const char* find_stack_limit() {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) return nullptr;
    void* low = nullptr;
    size_t size = 0;
    pthread_attr_getstack(&attributes, &low, &size);
    pthread_attr_destroy(&attributes);
    if (low == nullptr || size <= 2 * kStackReserve) return nullptr;
    return static_cast<const char*>(low) + kStackReserve;
}

}  // namespace

bool extra_debug() { return extra_debug_switch; }
void set_extra_debug(bool on) { extra_debug_switch = on; }

void trace(std::string_view message) { log_line("DEBUG", message); }
void trace_call(std::string_view message) { log_line("DEBUG CALL", message); }

Interpreter::Interpreter(std::shared_ptr<NameTable> names, std::vector<std::string> loading)
    : loading_chain(std::move(loading)), stack_limit(find_stack_limit()), names_(std::move(names)) {
    grow(static_cast<Symbol>(names_->size()));
}

Interpreter::~Interpreter() {
    // Values go first: globals, scopes, module table, pending return. The graphics state
    // (closing any window) and the remaining tables follow as members.
    globals_.clear();
    has_global_.clear();
    locals_.clear();
    scopes_.clear();
    modules.clear();
    return_value = Value();
}

void Interpreter::grow(Symbol symbol) {
    size_t size = std::max<size_t>(static_cast<size_t>(symbol) + 1, names_->size());
    size = std::max(size, locals_.size() * 2);
    locals_.resize(size);
    globals_.resize(size);
    has_global_.resize(size, 0);
    declared_global_.resize(size, 0);
}

Value Interpreter::get_variable(Symbol symbol) {
    ensure_symbol(symbol);
    const auto& bindings = locals_[symbol];
    if (!bindings.empty()) return bindings.back().value;
    return globals_[symbol];  // Null when never bound
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

void Interpreter::set_variable(Symbol symbol, Value value) {
    ensure_symbol(symbol);
    if (scope_count_ == 0 || declared_global_[symbol]) {
        globals_[symbol] = std::move(value);
        has_global_[symbol] = 1;
        return;
    }
    auto& bindings = locals_[symbol];
    auto depth = static_cast<uint32_t>(scope_count_);
    if (!bindings.empty() && bindings.back().depth == depth) {
        bindings.back().value = std::move(value);
        return;
    }
    bindings.push_back({depth, std::move(value)});
    scopes_[scope_count_ - 1].push_back(symbol);
}

Value* Interpreter::shared_assignment_slot(Symbol symbol) {
    ensure_symbol(symbol);
    auto& bindings = locals_[symbol];
    if (scope_count_ == 0 || declared_global_[symbol]) {
        return bindings.empty() ? &globals_[symbol] : nullptr;
    }
    if (!bindings.empty() && bindings.back().depth == scope_count_) return &bindings.back().value;
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

void Interpreter::push_scope() {
    if (scope_count_ == scopes_.size()) scopes_.emplace_back();
    ++scope_count_;
}

void Interpreter::pop_scope() {
    auto& bound = scopes_[scope_count_ - 1];
    for (Symbol symbol : bound) locals_[symbol].pop_back();
    bound.clear();
    --scope_count_;
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
