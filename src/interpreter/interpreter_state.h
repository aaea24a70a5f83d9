// Internal: the Interpreter object and the operations the core's files share.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "environment.h"
#include "graphics/graphics.h"
#include "interpreter/interpreter.h"
#include "lexer/lexer.h"
#include "parser/syntax_tree.h"
#include "unit.h"
#include "values/operators.h"
#include "values/value.h"
#include "vm.h"

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
    // time budget is spent. Returns false once the run is abandoned. With a deadline the clock
    // is read at every poll, so a loop of few but long iterations stops in time too; runs
    // without one never read it.
    [[gnu::always_inline]] bool keep_going() {
        if ((limits.interrupt != nullptr && *limits.interrupt != 0) || limits.deadline)
            [[unlikely]] {
            return poll();
        }
        return !abandoned();
    }
    // Only the interrupt: after a builtin or module call, which may have waited until Ctrl-C.
    [[gnu::always_inline]] bool interrupted() const {
        return limits.interrupt != nullptr && *limits.interrupt != 0;
    }
    const RunLimits limits;

    ModuleRegistry registry;

    GraphicsState module_state;

    // The engine's registers and frames while code runs.
    EngineState engine;

    const char* stack_limit = nullptr;  // lowest safe native stack address (nested module loads)

  private:
    bool poll();  // the interrupt and the time budget

    Abandonment abandonment_ = Abandonment::None;

    std::shared_ptr<NameTable> names_;
};

// Trace lines of extra debug mode.
void trace(std::string_view message);
void trace_call(std::string_view message);

// The operator table plus the core's one message, for integer division by zero.
Value operate(Interpreter& interp, Value left, BinaryOperator op, const Value& right);

std::optional<ExportTable> load_module(Interpreter& interp, const std::string& name);
void apply_use(Interpreter& interp, const UseStmt& use);
// Ranges longer than this are not materialised: the range evaluates to Null.
constexpr int64_t kMaxRangeLength = int64_t{1} << 27;

}  // namespace tarnel
