// The interpreter core: runs statement trees.
//
// One Interpreter holds all run-time state of a script run, a shell session or a module load:
// scopes, globals, the global-name set, the module tables, the control signals and the graphics
// state. Names are dynamically scoped: a called function sees the locals of every active caller.
// Each name keeps a stack of its live bindings, so a lookup costs the same at any call depth.
// Evaluation never fails; the only way a run is cut short is recursion deeper than the limit,
// which ends the run (or, in the shell, the current input) with one message on stderr.
#pragma once

#include <memory>

#include "parser/syntax_tree.h"

namespace tarnel {

class Interpreter;

// The process-wide switch for DEBUG and DEBUG CALL trace lines (option -D).
bool extra_debug();
void set_extra_debug(bool on);

// Runs a whole script in a fresh interpreter: the hoisting pass, then `main` or every top-level
// statement. Returns the exit status: 0, or 1 when the run was abandoned.
int run_program(const StmtList& statements, bool extra_debug, std::shared_ptr<NameTable> names);

// One interpreter kept across many inputs, for the interactive shell.
class Session {
public:
    explicit Session(std::shared_ptr<NameTable> names);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    NameTable& names();
    // Executes the statements in order, without hoisting or the main rule. Returns false when
    // the input was abandoned (the message is already written); the state reached is kept.
    bool run_input(const StmtList& statements);

private:
    std::shared_ptr<NameTable> names_;
    std::unique_ptr<Interpreter> interpreter_;
};

}  // namespace tarnel
