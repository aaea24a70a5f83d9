// The variables of one interpreter: globals and the local bindings of the calls in progress,
// with dynamic scoping. A read finds the innermost live binding of a name across every active
// call, else the global. Each name keeps a chain of its live bindings, so a lookup and a scope
// exit cost the same at any call depth.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "interpreter/values/value.h"
#include "parser/syntax_tree.h"

namespace tarnel {

class Environment {
public:
    explicit Environment(const NameTable& names);
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    // A lookup finds the innermost live binding of the name.
    // The value a read of `symbol` sees (Null when unbound). The reference is valid only
    // until the next write to any variable.
    const Value& lookup(Symbol symbol) {
        ensure_symbol(symbol);
        uint32_t top = top_[symbol];
        return top != kNoBinding ? bindings_[top].value : globals_[symbol];
    }
    Value get_variable(Symbol symbol) { return lookup(symbol); }
    // Makes room for `symbol`, so that later lookups of it invalidate no reference.
    void reserve_symbol(Symbol symbol) { ensure_symbol(symbol); }
    void set_variable(Symbol symbol, Value value) {
        ensure_symbol(symbol);
        if (scope_starts_.empty() || declared_global_[symbol]) {
            globals_[symbol] = std::move(value);
            has_global_[symbol] = 1;
            return;
        }
        uint32_t top = top_[symbol];
        if (top != kNoBinding && top >= scope_starts_.back()) {
            bindings_[top].value = std::move(value);  // already bound in this scope
            return;
        }
        bindings_.push_back({std::move(value), symbol, top});
        top_[symbol] = static_cast<uint32_t>(bindings_.size() - 1);
    }
    void declare_global(Symbol symbol);
    // Writes the global directly, whatever the scopes (the item form of `use`).
    void set_global(Symbol symbol, Value value);
    // The slot that both a read of `symbol` and an assignment to it would use, or null when
    // they differ (the read would come from a caller's scope or from the globals shadowed by a
    // new local). Lets an assignment release its own share before an in-place update.
    Value* shared_assignment_slot(Symbol symbol);

    void push_scope() { scope_starts_.push_back(static_cast<uint32_t>(bindings_.size())); }
    void pop_scope();
    size_t scope_depth() const { return scope_starts_.size(); }

    // Drops every binding, local and global.
    void clear();

    // Globals in symbol order, for module exports.
    std::vector<std::pair<std::string, Value>> global_entries() const;

private:
    static constexpr uint32_t kNoBinding = UINT32_MAX;
    // Local bindings live in one stack in the order they were made; each remembers the binding
    // of the same name that it shadows, so lookups and scope exits never search.
    struct Binding {
        Value value;
        Symbol symbol;
        uint32_t shadowed;
    };
    void ensure_symbol(Symbol symbol) {
        if (symbol >= top_.size()) grow(symbol);
    }
    void grow(Symbol symbol);

    const NameTable& names_;  // only for its size: symbols index the tables below
    std::vector<Binding> bindings_;         // live local bindings, innermost last
    std::vector<uint32_t> scope_starts_;    // per scope: index of its first binding
    std::vector<uint32_t> top_;             // per symbol: innermost local binding or kNoBinding
    std::vector<Value> globals_;            // per symbol
    std::vector<uint8_t> has_global_;       // per symbol
    std::vector<uint8_t> declared_global_;  // per symbol: the global-name set
};

}  // namespace tarnel
