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

// Thrown when recursion goes deeper than the interpreter allows; caught where a run or a shell
// input starts. Scopes are popped on the way out by their guards.
struct RecursionLimitExceeded {};

class Interpreter {
public:
    explicit Interpreter(std::shared_ptr<NameTable> names, std::vector<std::string> loading = {});
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Variables (dynamic scoping). A lookup finds the innermost live binding of the name.
    Value get_variable(Symbol symbol);
    Value get_variable(std::string_view name);  // also handles module.item names
    void set_variable(Symbol symbol, Value value);
    void declare_global(Symbol symbol);
    // Writes the global directly, whatever the scopes (the item form of `use`).
    void set_global(Symbol symbol, Value value);
    // The slot that both a read of `symbol` and an assignment to it would use, or null when
    // they differ (the read would come from a caller's scope or from the globals shadowed by a
    // new local). Lets an assignment release its own share before an in-place update.
    Value* shared_assignment_slot(Symbol symbol);

    void push_scope();
    void pop_scope();
    size_t scope_depth() const { return scope_count_; }

    // Globals in symbol order, for module exports.
    std::vector<std::pair<std::string, Value>> global_entries() const;

    const std::shared_ptr<NameTable>& names() const { return names_; }

    // Control signals.
    Value return_value;
    bool has_return = false;
    bool break_signal = false;
    bool continue_signal = false;
    bool signalled() const { return has_return || break_signal || continue_signal; }

    std::unordered_map<std::string, ExportTable> modules;
    std::unordered_map<std::string, ExportTable> module_cache;
    std::vector<std::string> loading_chain;  // modules being loaded by this interpreter's chain

    GraphicsState module_state;

    // Argument values of the calls in progress, stacked to avoid an allocation per call.
    std::vector<Value> arg_stack;
    int call_depth = 0;
    const char* stack_limit = nullptr;  // lowest safe stack address on this thread

private:
    struct Binding {
        uint32_t depth;
        Value value;
    };
    void ensure_symbol(Symbol symbol) {
        if (symbol >= locals_.size()) grow(symbol);
    }
    void grow(Symbol symbol);

    std::shared_ptr<NameTable> names_;
    std::vector<std::vector<Binding>> locals_;  // per symbol: live local bindings, innermost last
    std::vector<Value> globals_;                // per symbol
    std::vector<uint8_t> has_global_;           // per symbol
    std::vector<uint8_t> declared_global_;      // per symbol: the global-name set
    std::vector<std::vector<Symbol>> scopes_;   // per scope: the symbols it bound; reused
    size_t scope_count_ = 0;
};

// Trace lines of extra debug mode.
void trace(std::string_view message);
void trace_call(std::string_view message);

Value evaluate(Interpreter& interp, const Expr& expr);
Value apply_operator(Value left, TokenKind op, Value right);
void execute(Interpreter& interp, const Stmt& stmt);
void execute_block(Interpreter& interp, const StmtList& statements);
bool values_match(const Value& value, const Value& pattern);
// `assign_to`: the variable the call's result will be assigned to, if any (see execute.cpp).
Value call_function(Interpreter& interp, const CallExpr& call, const Symbol* assign_to = nullptr);
// Drops the variable's own share of `value` when the variable's slot is about to be
// overwritten with a result computed from it, so the update can happen in place.
void release_for_update(Interpreter& interp, Symbol symbol, const Value& value);
Value call_user_function(Interpreter& interp, const FunctionDef& def, std::span<Value> args);
std::optional<ExportTable> load_module(Interpreter& interp, const std::string& name);
void apply_use(Interpreter& interp, const UseStmt& use);
// Ranges longer than this are not materialised: the range evaluates to Null.
constexpr int64_t kMaxRangeLength = int64_t{1} << 27;

}  // namespace tarnel
