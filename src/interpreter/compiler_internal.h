// The compiler object shared by the statement and expression halves (internal header).
//
// Jump targets and statement-boundary handlers are labels while a body is compiled and become
// instruction indices at the end. Registers are handed out like a stack: an expression's result
// lands in the lowest register it was given, and everything above it is free again afterwards.
#pragma once

#include <vector>

#include "compiler.h"

namespace tarnel::detail {

using Label = uint32_t;

class Compiler {
  public:
    enum class Context { Function, TopLevel };
    Compiler(const Unit& unit, CompileOptions options, Context context);

    void statements(const StmtList& list);  // a top-level sequence or a body, with its checks
    void hoisting(const StmtList& list);
    Code finish(Op last);

  private:
    // ---- Emitting ----------------------------------------------------------------------
    uint32_t emit(Op op, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0);
    Label new_label();
    void place(Label label);  // the label names the next instruction
    // Field 'a', 'b' or 'c' of instruction `pc` holds `label` until finish() resolves it.
    void jump_field(uint32_t pc, char field, Label label);
    uint32_t constant(Value value);

    // ---- Registers -----------------------------------------------------------------------
    uint32_t take_register();
    uint32_t next_register() const { return next_register_; }
    void free_registers_from(uint32_t first) { next_register_ = first; }

    // ---- Statements (compile_statement.cpp) -----------------------------------------------
    void block(const StmtList& list);
    void statement(const Stmt& stmt);
    void assign(const AssignStmt& node);
    void compound_assign(const CompoundAssignStmt& node);
    void if_statement(const IfStmt& node);
    void while_statement(const WhileStmt& node);
    void for_statement(const ForStmt& node);
    void match_statement(const MatchStmt& node);
    void try_statement(const TryStmt& node);
    void return_statement(const ReturnStmt& node);
    void signal_statement(Op set_signal, bool is_break);
    // Compiles a loop body with its statement boundaries pointing at `handler`.
    void loop_body(const StmtList& body, Label handler, Label continue_at, Label exit);

    // ---- Expressions (compile_expression.cpp) ---------------------------------------------
    // The operand that holds the expression's value; a register when the value had to be
    // computed (then the lowest register in use from `next_register()` on).
    uint32_t expression(const Expr& expr);
    // The expression's value in exactly register `target`.
    void expression_into(const Expr& expr, uint32_t target);
    // The operand for `left` when `right` is evaluated after it: a variable read in place only
    // if evaluating `right` cannot change it.
    uint32_t left_operand(const Expr& left, const Expr& right);
    uint32_t binary(const BinaryOpExpr& node);
    uint32_t call(const CallExpr& node);
    // Evaluates `call`'s arguments into registers from `base` on and emits the call itself.
    // With `lend`, the variable lends its value to the call's first argument (in-place update).
    void call_at(const CallExpr& node, uint32_t base, const Symbol* lend = nullptr);
    // The items' values in consecutive registers from the returned one on.
    uint32_t consecutive(const std::vector<ExprPtr>& items);
    uint32_t index(const IndexExpr& node);
    // Jumps to `target` unless the condition holds, fusing a comparison into the jump.
    void jump_unless(const Expr& condition, Label target);

    struct Loop {
        Label continue_at;
        Label exit;
    };
    struct Fixup {
        uint32_t pc;
        char field;
        Label label;
    };

    const Unit& unit_;
    const CompileOptions options_;
    const Context context_;
    Code code_;
    std::vector<uint32_t> labels_;  // per label: its instruction, once placed
    std::vector<Fixup> fixups_;
    std::vector<Loop> loops_;      // the loops around the code being compiled, innermost last
    std::vector<Label> handlers_;  // where a pending signal goes from here, innermost last
    bool inside_try_ = false;      // a try of this body encloses the code being compiled
    uint32_t pending_boundary_ = kNoBoundary;  // handler label for the next instruction
    uint32_t next_register_ = 0;
};

// Whether evaluating `expr` may call anything (and so run code that changes variables).
bool may_run_code(const Expr& expr);

}  // namespace tarnel::detail
