// The compiler: a resolved tree (unit.h) in, register code (bytecode.h) out. Every statement
// and expression becomes instructions that do exactly what the language says, in the same
// order: operands are evaluated left to right, each call traces (-D) before its arguments, and
// a variable is read in its cell only when nothing evaluated after the read can change it.
#pragma once

#include <cstdint>
#include <vector>

#include "bytecode.h"
#include "unit.h"

namespace tarnel {

struct CompileOptions {
    bool tracing = false;                   // -D: calls compile to their traced form
    TopLevel top_level = TopLevel::Script;  // for top-level code only
};

// A function body.
Code compile_function(const Unit& unit, const CompiledFunction& function, CompileOptions options);
// Top-level statements in order, with the checks `options.top_level` asks for between them.
Code compile_top_level(const Unit& unit, const StmtList& statements, CompileOptions options);
// The hoisting pass of a script: only its top-level `let`s and `def`s, in order.
Code compile_hoisting(const Unit& unit, const StmtList& statements, CompileOptions options);

}  // namespace tarnel
