// Internal: the Interpreter object and the operations the core's files share.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "interpreter/graphics/graphics.h"
#include "interpreter/interpreter.h"
#include "interpreter/values/value.h"
#include "lexer/lexer.h"
#include "parser/syntax_tree.h"

namespace tarnel {

using ExportTable = std::shared_ptr<const DictMap>;  // immutable once built, so shareable


class Interpreter {
public:
    explicit Interpreter(std::shared_ptr<NameTable> names, RunLimits limits = {},
                         std::vector<std::string> loading = {});
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Variables (dynamic scoping). A lookup finds the innermost live binding of the name.
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
    Value get_variable(std::string_view name);  // also handles module.item names
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

    // Globals in symbol order, for module exports.
    std::vector<std::pair<std::string, Value>> global_entries() const;

    const std::shared_ptr<NameTable>& names() const { return names_; }

    // Control signals.
    Value return_value;
    bool has_return = false;
    bool break_signal = false;
    bool continue_signal = false;
    bool signalled() const { return has_return || break_signal || continue_signal || abandoned(); }
    bool stops_loop() const { return has_return || break_signal || abandoned(); }

    // Abandoning a run is the one way a run is cut short. The reason's message is written once;
    // from then on no statement runs, no call happens and no diagnostic is written, so the run
    // unwinds to where it started without another effect.
    void abandon(Abandonment why);
    bool abandoned() const { return abandonment_ != Abandonment::None; }
    Abandonment abandonment() const { return abandonment_; }
    // Takes over an abandonment whose message a module's interpreter has already written.
    void inherit_abandonment(Abandonment why) { abandonment_ = why; }
    // Forgets an abandonment once everything has unwound (the shell, after an input).
    void clear_abandonment() { abandonment_ = Abandonment::None; }
    // Every diagnostic the core writes while running passes here: nothing once abandoned.
    void report(std::string_view text);
    // Once per loop iteration and per user call: abandons the run on an interrupt or when the
    // time budget is spent. Returns false once the run is abandoned. The clock is read at every
    // poll, so a loop of few but long iterations stops in time too; runs without a deadline
    // never read it.
    bool keep_going() {
        if (limits.interrupt != nullptr && *limits.interrupt != 0) [[unlikely]] {
            abandon(Abandonment::Interrupted);
        } else if (limits.deadline) [[unlikely]] {
            check_deadline();
        }
        return !abandoned();
    }
    const RunLimits limits;

    std::unordered_map<std::string, ExportTable> modules;
    std::unordered_map<std::string, ExportTable> module_cache;
    std::vector<std::string> loading_chain;  // modules being loaded by this interpreter's chain

    GraphicsState module_state;

    // Argument values of the calls in progress, stacked to avoid an allocation per call.
    std::vector<Value> arg_stack;
    int call_depth = 0;
    const char* stack_limit = nullptr;  // lowest safe stack address on this thread

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
    void check_deadline();

    Abandonment abandonment_ = Abandonment::None;

    std::shared_ptr<NameTable> names_;
    std::vector<Binding> bindings_;         // live local bindings, innermost last
    std::vector<uint32_t> scope_starts_;    // per scope: index of its first binding
    std::vector<uint32_t> top_;             // per symbol: innermost local binding or kNoBinding
    std::vector<Value> globals_;            // per symbol
    std::vector<uint8_t> has_global_;       // per symbol
    std::vector<uint8_t> declared_global_;  // per symbol: the global-name set
};

// Trace lines of extra debug mode.
void trace(std::string_view message);
void trace_call(std::string_view message);

// The operator table plus the core's one message, for integer division by zero.
Value operate(Interpreter& interp, Value left, TokenKind op, const Value& right);

Value evaluate(Interpreter& interp, const Expr& expr);
// The operator table. Pure: integer division by zero gives 0 here, and operate() says so.
Value apply_operator(Value left, TokenKind op, Value right);
void execute(Interpreter& interp, const Stmt& stmt);
void execute_block(Interpreter& interp, const StmtList& statements);
bool values_match(const Value& value, const Value& pattern);
// `assign_to`: the variable the call's result will be assigned to, if any (see execute.cpp).
Value call_function(Interpreter& interp, const CallExpr& call, const Symbol* assign_to = nullptr);
// Drops the variable's own share of `value` when the variable's slot is about to be
// overwritten with a result computed from it, so the update can happen in place. Returns the
// emptied slot, or null when nothing was released.
Value* release_for_update(Interpreter& interp, Symbol symbol, const Value& value);
// Runs `update`, an in-place update of `value` after release_for_update emptied `lent`. If it
// fails (memory runs out), the value goes back into the slot before the failure goes on, so
// the variable keeps what it had.
template <typename Update>
decltype(auto) update_lent(Value* lent, Value* value, Update&& update) {
    try {
        return update();
    } catch (...) {
        if (lent != nullptr) *lent = std::move(*value);
        throw;
    }
}
Value call_user_function(Interpreter& interp, const FunctionDef& def, std::span<Value> args);
std::optional<ExportTable> load_module(Interpreter& interp, const std::string& name);
void apply_use(Interpreter& interp, const UseStmt& use);
// Ranges longer than this are not materialised: the range evaluates to Null.
constexpr int64_t kMaxRangeLength = int64_t{1} << 27;

}  // namespace tarnel
