// The interpreter core: runs statement trees.
//
// One Interpreter holds all run-time state of a script run, a shell session or a module load:
// scopes, globals, the global-name set, the module tables, the control signals and the graphics
// state. Names are dynamically scoped: a called function sees the locals of every active caller.
// Each name keeps a stack of its live bindings, so a lookup costs the same at any call depth.
// Evaluation never fails. A run is cut short only by abandoning it: recursion deeper than the
// limit, memory running out, an interrupt or a spent time budget end the run (or, in the
// shell, the current input) with one message on stderr.
#pragma once

#include <chrono>
#include <csignal>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "parser/syntax_tree.h"

namespace tarnel {

class Interpreter;
class Unit;

// The one pipeline for scripts, modules and shell inputs: text -> tokens -> tree, then name
// resolution. Names are interned into `names`; with `times`, the two phases are timed.
struct LoadTimes {
    double tokenize_ms = 0;
    double parse_ms = 0;  // parsing and resolution
};
std::shared_ptr<const Unit> load_source(std::string_view text, NameTable& names,
                                        LoadTimes* times = nullptr);
size_t statement_count(const Unit& unit);  // top-level statements

// The process-wide switch for DEBUG and DEBUG CALL trace lines (option -D).
bool extra_debug();
void set_extra_debug(bool on);

// Why a run was abandoned, each with its one message:
enum class Abandonment : uint8_t {
    None,
    RecursionLimit,  // "Error: maximum recursion depth exceeded"
    OutOfMemory,     // "Error: out of memory"
    Interrupted,     // "Interrupted", after a line feed (the terminal has echoed ^C)
    TimeBudget,      // "Error: time budget exceeded"
};

// Nested user calls allowed before the run is abandoned (fewer when the native stack ends
// first).
constexpr int kMaxCallDepth = 150000;

struct RunLimits {
    int max_call_depth = kMaxCallDepth;
    // Wall-clock budget of a run; none unless set (the fuzz targets use one).
    std::optional<std::chrono::steady_clock::time_point> deadline;
    // Becomes non-zero asynchronously (a signal handler) to interrupt the run.
    const volatile std::sig_atomic_t* interrupt = nullptr;
};

// Runs a whole script in a fresh interpreter: the hoisting pass, then `main` or every top-level
// statement. Returns the exit status: 0, or 1 when the run was abandoned.
int run_program(std::shared_ptr<const Unit> program, bool extra_debug,
                std::shared_ptr<NameTable> names, RunLimits limits = {});

// One interpreter kept across many inputs, for the interactive shell.
class Session {
  public:
    explicit Session(std::shared_ptr<NameTable> names, RunLimits limits = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    NameTable& names();
    // Executes the input's statements in order, without hoisting or the main rule. Returns
    // false when the input was abandoned (the message is already written); the state reached
    // is kept.
    bool run_input(std::shared_ptr<const Unit> input);
    // What the inputs so far have defined: global variables and functions, module names and
    // aliases, and each module's items as "module.item".
    std::vector<std::string> defined_names() const;

  private:
    std::shared_ptr<NameTable> names_;
    std::unique_ptr<Interpreter> interpreter_;
};

}  // namespace tarnel
