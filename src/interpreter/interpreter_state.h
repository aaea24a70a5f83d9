// Internal: the Interpreter object and the operations the core's files share.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "interpreter/graphics/graphics.h"
#include "interpreter/environment.h"
#include "interpreter/interpreter.h"
#include "interpreter/unit.h"
#include "interpreter/values/operators.h"
#include "interpreter/values/value.h"
#include "lexer/lexer.h"
#include "parser/syntax_tree.h"

namespace tarnel {

using ExportTable = std::shared_ptr<const DictMap>;  // immutable once built, so shareable

// A pending return, break or continue (see execute.cpp for who sets and who takes them).
struct ControlSignals {
    Value return_value;
    bool has_return = false;
    bool break_signal = false;
    bool continue_signal = false;
    bool any() const { return has_return || break_signal || continue_signal; }
    void clear() {
        return_value = Value();
        has_return = break_signal = continue_signal = false;
    }
};

// The modules one interpreter knows: by name or alias for `module.item`, the cache of loaded
// file modules, and the chain of file modules being loaded right now (to stop a cycle).
struct ModuleRegistry {
    std::unordered_map<std::string, ExportTable> modules;
    std::unordered_map<std::string, ExportTable> module_cache;
    std::vector<std::string> loading_chain;
};

class Interpreter {
public:
    explicit Interpreter(std::shared_ptr<NameTable> names, RunLimits limits = {},
                         std::vector<std::string> loading = {});
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Variables: `env` holds them; the dotted form m.item reads the module table.
    Environment env;
    Value get_variable(std::string_view name);  // a plain name or module.item

    const std::shared_ptr<NameTable>& names() const { return names_; }

    ControlSignals signals;
    // The block rule: a statement list stops after a statement that left any of these.
    bool signalled() const { return signals.any() || abandoned(); }
    bool stops_loop() const { return signals.has_return || signals.break_signal || abandoned(); }

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
    // time budget is spent. Returns false once the run is abandoned.
    bool keep_going() {
        if (limits.interrupt != nullptr && *limits.interrupt != 0) [[unlikely]] {
            abandon(Abandonment::Interrupted);
        } else if (limits.deadline && (++polls_ & 0x3ff) == 0) [[unlikely]] {
            check_deadline();
        }
        return !abandoned();
    }
    const RunLimits limits;

    ModuleRegistry registry;

    GraphicsState module_state;

    // The unit whose code is running (its side tables answer for the nodes being run).
    const Unit* unit = nullptr;

    // Argument values of the calls in progress, stacked to avoid an allocation per call.
    std::vector<Value> arg_stack;
    int call_depth = 0;
    const char* stack_limit = nullptr;  // lowest safe stack address on this thread

private:
    void check_deadline();

    Abandonment abandonment_ = Abandonment::None;
    uint32_t polls_ = 0;

    std::shared_ptr<NameTable> names_;
};

// Trace lines of extra debug mode.
void trace(std::string_view message);
void trace_call(std::string_view message);

// The operator table plus the core's one message, for integer division by zero.
Value operate(Interpreter& interp, Value left, BinaryOperator op, const Value& right);

Value evaluate(Interpreter& interp, const Expr& expr);
void execute(Interpreter& interp, const Stmt& stmt);
void execute_block(Interpreter& interp, const StmtList& statements);
// The arguments of one call, on the interpreter's argument stack while the call runs.
class ArgumentWindow {
public:
    explicit ArgumentWindow(Interpreter& interp) : interp_(interp), base_(interp.arg_stack.size()) {}
    ~ArgumentWindow() {  // only ever shrinks: no call to the growing path of resize
        interp_.arg_stack.erase(interp_.arg_stack.begin() + static_cast<ptrdiff_t>(base_),
                                interp_.arg_stack.end());
    }
    ArgumentWindow(const ArgumentWindow&) = delete;
    ArgumentWindow& operator=(const ArgumentWindow&) = delete;
    std::span<Value> values() { return std::span<Value>(interp_.arg_stack).subspan(base_); }

private:
    Interpreter& interp_;
    size_t base_;
};

// A whole call: begin_call, then invoke.
Value call_function(Interpreter& interp, const CallExpr& call);
// The first half of a call: the "Calling function" trace, then the arguments, first to last,
// onto the argument stack (open an ArgumentWindow first). False when the run was abandoned
// meanwhile: then nothing may be invoked.
bool begin_call(Interpreter& interp, const CallExpr& call);
// The second half: whoever answers the name runs with the evaluated arguments.
Value invoke(Interpreter& interp, const CallExpr& call, std::span<Value> args);
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
Value call_user_function(Interpreter& interp, const CompiledFunction& function, std::span<Value> args);
// Runs `work` with `unit` as the running unit, restoring the previous one afterwards.
template <typename Work>
void run_in_unit(Interpreter& interp, const Unit& unit, Work&& work) {
    const Unit* outer = interp.unit;
    interp.unit = &unit;
    struct Restore {
        Interpreter& interp;
        const Unit* outer;
        ~Restore() { interp.unit = outer; }
    } restore{interp, outer};
    work();
}
std::optional<ExportTable> load_module(Interpreter& interp, const std::string& name);
void apply_use(Interpreter& interp, const UseStmt& use);
// Ranges longer than this are not materialised: the range evaluates to Null.
constexpr int64_t kMaxRangeLength = int64_t{1} << 27;

}  // namespace tarnel
