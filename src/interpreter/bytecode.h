// The compiled form the engine runs: one flat array of register instructions per function
// body and per top-level sequence.
//
// Operands name a register of the running frame, a variable's cell (by symbol: reads see the
// innermost live binding, see environment.h) or a constant of the code; the kind sits in the top
// two bits. Registers hold temporaries only: every variable lives in its cell, where callees can
// see it (dynamic scoping). A temporary is consumed by the one instruction that uses it, which
// may take its value (so an unshared string can grow in place).
//
// Pending signals. A stray break or continue (outside any loop of its function), or a return
// left pending, must stop each statement list after its current statement. The instructions
// where a statement list may stop are its statement boundaries; `boundary[pc]` names the
// handler that decides what to do there (a loop, a try, the function's end, the next top-level
// statement). The engine only looks at boundaries while a signal is pending, so normal code
// pays nothing for them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lexer/operators.h"
#include "parser/syntax_tree.h"
#include "unit.h"
#include "values/value.h"

// Every instruction, with its operands a, b, c: R = a register, O = any operand, S = a symbol,
// K = a constant index, P = a jump target (stored relative to the instruction: pc + P[x]),
// N = a count.
// clang-format off
#define TARNEL_OPCODES(X)                                                                        \
    X(Copy)             /* R[a] = O[b] (a copy; a register operand is taken) */                  \
    X(SetVar)           /* variable S[a] = O[b] */                                               \
    X(Add) X(Sub) X(Mul) X(Div) X(Mod) X(Pow)                                                    \
    X(Eq) X(Ne) X(Lt) X(Gt) X(Le) X(Ge) X(And) X(Or) /* R[a] = O[b] op O[c] */                   \
    X(Not) X(Neg)       /* R[a] = op O[b] */                                                     \
    X(Jump)             /* to P[a] */                                                            \
    X(Loop)             /* to P[a]; a back edge: checks for an interrupt or a spent budget */    \
    X(JumpIfFalse)      /* to P[a] unless O[b] is truthy */                                      \
    X(JumpIfNotEq) X(JumpIfNotNe) X(JumpIfNotLt) X(JumpIfNotGt) X(JumpIfNotLe)                   \
    X(JumpIfNotGe)      /* to P[a] unless O[b] op O[c] is truthy */                              \
    X(JumpIfNoMatch)    /* to P[a] unless the match pattern O[c] selects O[b] */                 \
    X(NewArray)         /* R[a] = [R[b] .. R[b + c - 1]] */                                      \
    X(NewDict)          /* R[a] = dictionary of the key list K[c] and the values R[b] .. */      \
    X(Index)            /* R[a] = O[b][O[c]] */                                                  \
    X(GetField)         /* R[a] = O[b][F[c]] (a field key) */                                    \
    X(Range)            /* R[a] = O[b] .. O[c] */                                                \
    X(Call)             /* R[a] = call c with its arguments in R[a] .. (calls[c].argc of them) */ \
    X(CallBuiltin)      /* the same for a call the builtin table answers */                      \
    X(TraceCall)        /* -D: "Calling function" for call c (before its arguments) */           \
    X(CallTraced)       /* -D: a call with every trace line */                                   \
    X(AppendChain)      /* R[a] = R[a] + R[a + 1] + ... + R[a + c] */                            \
    X(UpdateVar)        /* variable S[a] = S[a] op O[b], op = c: in place when the frame owns it */ \
    X(AppendVar)        /* variable S[a] = S[a] + R[b] + ... + R[b + c - 1], in place likewise */\
    X(LendForUpdate)    /* if variable S[a] shares R[b]'s payload, empty it (in-place update) */ \
    X(Return)           /* return O[b] from the function */                                      \
    X(ReturnEnd)        /* the end of a body: the pending return value, or Null */               \
    X(SetReturn)        /* leave O[b] pending as the return value */                             \
    X(SetBreak) X(SetContinue) /* leave a stray signal pending */                                \
    X(LoopSignal)       /* a loop's handler: leave (P[a]) on return or break, else P[b] */       \
    X(ClearBreak)       /* a loop's end */                                                       \
    X(TryCheck)         /* a try's handler: catch into S[a] and go to P[b], else to P[c] */      \
    X(StatementCheck)   /* top level: a = 0 stops the run on a pending return, 1 clears all */   \
    X(ForRangePrep)     /* R[a], R[a + 1]: the bounds; first value into S[b], or exit (below) */ \
    X(ForRangeNext)     /* R[a] += 1; while below R[a + 1]: variable S[b] = R[a], go to P[c] */  \
    X(ForArrayPrep)     /* R[a]: the array; first element into S[b], or exit (below) */          \
    X(ForArrayNext)     /* R[a + 1] += 1; the next element into S[b], go to P[c] */              \
    X(Def)              /* variable S[a] = the function of definition b */                       \
    X(Global)           /* declare S[a] global */                                                \
    X(Use)              /* apply use statement a */                                              \
    X(Halt)             /* the end of top-level code */
// clang-format on

namespace tarnel {

enum class Op : uint8_t {
#define TARNEL_OPCODE_ENUM(name) name,
    TARNEL_OPCODES(TARNEL_OPCODE_ENUM)
#undef TARNEL_OPCODE_ENUM
};

std::string_view op_name(Op op);

struct Instr {
    Op op;
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t c = 0;
};

// Operands: the kind in the top two bits.
enum class OperandKind : uint32_t { Register = 0, Cell = 1, Constant = 2 };
constexpr uint32_t kOperandShift = 30;
constexpr uint32_t kOperandIndex = (1u << kOperandShift) - 1;
constexpr uint32_t operand(OperandKind kind, uint32_t index) {
    return static_cast<uint32_t>(kind) << kOperandShift | index;
}
constexpr OperandKind operand_kind(uint32_t o) {
    return static_cast<OperandKind>(o >> kOperandShift);
}
constexpr uint32_t operand_index(uint32_t o) {
    return o & kOperandIndex;
}

constexpr uint32_t kNoBoundary = UINT32_MAX;

// What a top-level StatementCheck does between statements.
enum class TopLevel : uint32_t {
    Script = 0,  // a pending return ends the run
    Shell = 1,   // every signal is consumed at the end of the statement that raised it
    Module = 2,  // nothing stops the sequence (no checks are emitted)
};

// The two Prep instructions of a for loop leave through P[c], the loop's ClearBreak, when there
// is nothing to iterate, and skip the loop entirely (P[c] + 1, leaving a pending break alone)
// when the value is not an array (or a range that gives no array).

// A call site as the engine needs it.
struct CompiledCall {
    const CallExpr* call;
    uint32_t argc;
    CallRoute route;
    BuiltinId builtin;
};

// A dictionary key the code names, hashed once when compiled.
struct DictKey {
    std::string text;
    size_t hash;
    // Where a field read last found this key: a guess, checked on every use.
    mutable size_t last_at = 0;
};

struct Code {
    std::vector<Instr> instrs;
    std::vector<uint32_t> boundary;  // per instruction: its pending-signal handler or kNoBoundary
    std::vector<Value> constants;
    std::vector<std::vector<DictKey>> key_lists;  // of dictionary literals
    std::vector<DictKey> field_keys;              // of p.x and d["x"]
    std::vector<CompiledCall> calls;
    std::vector<const UseStmt*> uses;
    uint32_t registers = 0;  // the frame size
    Symbol max_symbol = 0;   // the highest symbol the code names (the store must reach it)
};

// A readable listing of the code, one instruction a line, for debugging the engine.
std::string disassemble(const Code& code, const NameTable& names);

}  // namespace tarnel
