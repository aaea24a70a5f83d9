// The variables of one interpreter: globals and the local bindings of the calls in progress,
// with dynamic scoping: a read finds the innermost live binding of a name across every active
// call, else the global.
//
// Shallow binding: each name has one cell holding the value a read sees right now, so a read
// is one load whatever the call depth. A scope that binds a name it does not own yet saves the
// cell's previous value and owner on the save stack and restores them when it ends. A global
// shadowed by a local lives meanwhile in the save record of the outermost scope that shadowed
// it (global_home), which is where writes to the global go.
#pragma once

#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "parser/syntax_tree.h"
#include "values/value.h"

namespace tarnel {

class Environment {
  public:
    explicit Environment(const NameTable& names);
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    // The value a read of `symbol` sees (Null when unbound). The reference is valid only until
    // the next write to any variable or the next new symbol.
    const Value& lookup(Symbol symbol) {
        ensure_symbol(symbol);
        return cells_[symbol];
    }
    Value get_variable(Symbol symbol) { return lookup(symbol); }
    // Makes room for `symbol`, so that later lookups of it invalidate no reference.
    void reserve_symbol(Symbol symbol) { ensure_symbol(symbol); }
    // The cells by symbol, valid until a symbol past reserve_symbol's is used.
    Value* cells() { return cells_.data(); }
    // Binds in the running scope, or the global when at top level or declared global.
    [[gnu::always_inline]] void set_variable(Symbol symbol, Value&& value) {
        ensure_symbol(symbol);
        if (depth_ == 0 || declared_global_[symbol]) [[unlikely]] {
            return set_global(symbol, std::move(value));
        }
        if (owner_[symbol] == depth_) {
            cells_[symbol] = std::move(value);  // already bound in this scope
            return;
        }
        bind_new(symbol, std::move(value));
    }
    void set_variable(Symbol symbol, const Value& value) { set_variable(symbol, Value(value)); }
    void declare_global(Symbol symbol);
    // Writes the global, whatever the scopes (also the item form of `use`).
    void set_global(Symbol symbol, Value value);
    // The slot that both a read of `symbol` and an assignment to it would use, or null when
    // they differ (the read would come from a caller's scope or a local shadowing the global
    // written). An update through it is the same as reading, computing and assigning.
    [[gnu::always_inline]] Value* shared_assignment_slot(Symbol symbol) {
        ensure_symbol(symbol);
        const uint32_t writes_to = depth_ == 0 || declared_global_[symbol] ? 0 : depth_;
        if (owner_[symbol] != writes_to) return nullptr;
        if (writes_to == 0) has_global_[symbol] = 1;  // it is about to be written
        return &cells_[symbol];
    }

    // A scope for a call: push_scope gives the mark that its pop_scope takes back.
    uint32_t push_scope() {
        ++depth_;
        return static_cast<uint32_t>(saved_.size());
    }
    [[gnu::always_inline]] void pop_scope(uint32_t mark) {
        // Undoes the scope's bindings, newest first.
        Saved* first = saved_.data() + mark;
        for (Saved* record = saved_.data() + saved_.size(); record != first;) {
            --record;
            const Symbol symbol = record->symbol;
            cells_[symbol] = Value::attach(record->value);
            owner_[symbol] = record->owner;
            if (record->owner == 0) global_home_[symbol] = kNowhere;
        }
        saved_.resize(mark);  // records are plain memory: nothing left to destroy
        --depth_;
    }
    size_t scope_depth() const { return depth_; }

    // Drops every binding, local and global.
    void clear();

    // Globals in symbol order, for module exports.
    std::vector<std::pair<std::string, Value>> global_entries() const;
    // Their names only (the shell's completion).
    std::vector<std::string> global_names() const;

  private:
    static constexpr uint32_t kNowhere = UINT32_MAX;
    // What a scope's new binding replaced in the cell. Plain memory: the record holds the
    // value's share, given back when the scope ends.
    struct Saved {
        Value::Raw value;
        Symbol symbol;
        uint32_t owner;
    };
    void ensure_symbol(Symbol symbol) {
        if (symbol >= cells_.size()) grow(symbol);
    }
    void grow(Symbol symbol);
    void release_saved();
    // A new binding in the running scope: the cell's value and owner go on the save stack.
    [[gnu::always_inline]] void bind_new(Symbol symbol, Value&& value) {
        const uint32_t owner = owner_[symbol];
        if (owner == 0) global_home_[symbol] = static_cast<uint32_t>(saved_.size());
        saved_.push_back({cells_[symbol].detach(), symbol, owner});
        new (&cells_[symbol]) Value(std::move(value));  // the cell was left Null by detach
        owner_[symbol] = depth_;
    }

    const NameTable& names_;             // only for its size: symbols index the tables below
    std::vector<Value> cells_;           // per symbol: the value a read sees
    std::vector<uint32_t> owner_;        // per symbol: depth of the scope bound there, 0 global
    std::vector<uint32_t> global_home_;  // per symbol: save record holding the global, or kNowhere
    std::vector<uint8_t> has_global_;    // per symbol
    std::vector<uint8_t> declared_global_;  // per symbol: the global-name set
    std::vector<Saved> saved_;              // the save stack, innermost scope last
    uint32_t depth_ = 0;                    // scopes open: 0 at top level
};

}  // namespace tarnel
