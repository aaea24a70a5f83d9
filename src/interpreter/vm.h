// The engine: runs compiled code (bytecode.h) against an interpreter's state.
//
// One loop dispatches every instruction through a table of labels. Calls of script functions
// push a frame on the engine's own stack instead of recursing, so deep recursion costs no native
// stack and abandoning a run is one unwinding of that stack. Registers of all active frames live
// in one growing array; variables live in the environment's cells.
#pragma once

#include <cstdint>
#include <vector>

#include "bytecode.h"

namespace tarnel {

class Interpreter;

// A script function's activation.
// A script function's activation. The caller is the frame below it (or the top-level code the
// run started with); its result goes to the callee's first register, which is the register of
// the caller's call instruction.
struct Frame {
    const Code* code;     // the function's code
    const Unit* unit;     // whose side tables its code refers to
    const Instr* resume;  // the caller's next instruction; null: called from outside (main)
    Value function;       // keeps the running body alive, even if its name is rebound
    uint32_t base;        // its first register in the register stack
    uint32_t top;         // one past its last register (arguments included)
    uint32_t scope;       // its scope's mark in the environment
};

// The engine's stacks; one per interpreter, empty whenever no code runs.
struct EngineState {
    std::vector<Value> registers;
    std::vector<Frame> frames;
};

// Runs top-level code to its end (or until the run is abandoned).
void run_code(Interpreter& interp, const Code& code, const Unit& unit);
// Calls a script function with no arguments and runs it to its return (the entry's `main`).
Value run_function(Interpreter& interp, const CompiledFunction& function);

}  // namespace tarnel
