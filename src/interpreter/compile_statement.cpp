// Compiling statements: control flow, the handlers of pending signals, assignments.
#include <algorithm>

#include "compiler_internal.h"

namespace tarnel::detail {

namespace {

uint32_t cell(Symbol symbol) {
    return operand(OperandKind::Cell, symbol);
}
uint32_t reg(uint32_t index) {
    return operand(OperandKind::Register, index);
}

// The operands of a chain name + a + b + ..., leftmost first, or nothing when `value` is not a
// chain of `+` whose leftmost operand is the variable `symbol`.
std::vector<const Expr*> append_chain(const Expr& value, Symbol symbol) {
    std::vector<const Expr*> rights;
    const Expr* node = &value;
    while (node->kind == ExprKind::BinaryOp) {
        const auto& binary = node_cast<BinaryOpExpr>(*node);
        if (binary.op != BinaryOperator::Plus) return {};
        rights.push_back(binary.right.get());
        node = binary.left.get();
    }
    if (rights.empty() || node->kind != ExprKind::Identifier ||
        node_cast<IdentifierExpr>(*node).symbol != symbol) {
        return {};
    }
    std::vector<const Expr*> operands{node};
    operands.insert(operands.end(), rights.rbegin(), rights.rend());
    return operands;
}

// The highest symbol the code names: in a symbol field, in a variable operand or as a callee.
// Fields that are not operands hold small numbers (registers, targets, counts), which never
// carry the variable operand kind.
Symbol highest_symbol(const Code& code) {
    Symbol highest = 0;
    auto note_operand = [&](uint32_t o) {
        if (operand_kind(o) == OperandKind::Cell) highest = std::max(highest, operand_index(o));
    };
    for (const Instr& instr : code.instrs) {
        switch (instr.op) {
            case Op::SetVar:
            case Op::Def:
            case Op::Global:
            case Op::TryCheck:
            case Op::LendForUpdate:
            case Op::UpdateVar:
            case Op::AppendVar:
                highest = std::max(highest, instr.a);
                break;
            case Op::ForRangePrep:
            case Op::ForRangeNext:
            case Op::ForArrayPrep:
            case Op::ForArrayNext:
                highest = std::max(highest, instr.b);
                break;
            default:
                break;
        }
        note_operand(instr.b);
        note_operand(instr.c);
    }
    for (const CompiledCall& call : code.calls)
        highest = std::max(highest, call.call->symbol);
    return highest;
}

}  // namespace

Compiler::Compiler(const Unit& unit, CompileOptions options, Context context)
    : unit_(unit), options_(options), context_(context) {
    if (context_ == Context::Function) handlers_.push_back(new_label());  // the function's end
}

uint32_t Compiler::emit(Op op, uint32_t a, uint32_t b, uint32_t c) {
    code_.instrs.push_back({op, a, b, c});
    code_.boundary.push_back(pending_boundary_);
    pending_boundary_ = kNoBoundary;
    return static_cast<uint32_t>(code_.instrs.size() - 1);
}

Label Compiler::new_label() {
    labels_.push_back(kNoBoundary);
    return static_cast<Label>(labels_.size() - 1);
}

void Compiler::place(Label label) {
    labels_[label] = static_cast<uint32_t>(code_.instrs.size());
}

void Compiler::jump_field(uint32_t pc, char field, Label label) {
    fixups_.push_back({pc, field, label});
}

uint32_t Compiler::constant(Value value) {
    code_.constants.push_back(std::move(value));
    return operand(OperandKind::Constant, static_cast<uint32_t>(code_.constants.size() - 1));
}

uint32_t Compiler::take_register() {
    const uint32_t index = next_register_++;
    code_.registers = std::max(code_.registers, next_register_);
    return index;
}

// ---- Sequences ----------------------------------------------------------------------------

// A top-level sequence runs every statement whatever the signals left pending (break and
// continue do not stop it); between statements it checks as its kind of top level asks.
void Compiler::statements(const StmtList& list) {
    if (context_ == Context::Function) return block(list);
    const bool checked = options_.top_level != TopLevel::Module;
    for (const StmtPtr& statement : list) {
        const Label next = new_label();
        if (checked) emit(Op::StatementCheck, static_cast<uint32_t>(options_.top_level));
        handlers_.push_back(next);
        this->statement(*statement);
        handlers_.pop_back();
        place(next);
    }
    // The shell consumes what its last statement left pending too.
    if (options_.top_level == TopLevel::Shell)
        emit(Op::StatementCheck, static_cast<uint32_t>(TopLevel::Shell));
}

void Compiler::hoisting(const StmtList& list) {
    for (const StmtPtr& statement : list) {
        if (statement->kind != StmtKind::Let && statement->kind != StmtKind::Function) continue;
        const Label next = new_label();
        handlers_.push_back(next);
        this->statement(*statement);
        handlers_.pop_back();
        place(next);
    }
}

// The block rule: after each statement but the last, a pending signal stops the list; the
// innermost handler decides what happens then.
void Compiler::block(const StmtList& list) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0) pending_boundary_ = handlers_.back();
        statement(*list[i]);
    }
    pending_boundary_ = kNoBoundary;  // the parent has boundaries of its own
}

Code Compiler::finish(Op last) {
    if (context_ == Context::Function) place(handlers_.front());
    emit(last);
    for (const Fixup& fixup : fixups_) {
        Instr& instr = code_.instrs[fixup.pc];
        uint32_t& field = fixup.field == 'a' ? instr.a : fixup.field == 'b' ? instr.b : instr.c;
        field = labels_[fixup.label] - fixup.pc;  // relative: two's complement when backwards
    }
    for (uint32_t& handler : code_.boundary) {
        if (handler != kNoBoundary) handler = labels_[handler];
    }
    code_.max_symbol = highest_symbol(code_);
    return std::move(code_);
}

// ---- Statements ---------------------------------------------------------------------------

void Compiler::statement(const Stmt& stmt) {
    const uint32_t registers = next_register();
    switch (stmt.kind) {
        case StmtKind::Let:
        case StmtKind::Assign:
            assign(node_cast<AssignStmt>(stmt));
            break;
        case StmtKind::CompoundAssign:
            compound_assign(node_cast<CompoundAssignStmt>(stmt));
            break;
        case StmtKind::Function: {
            const auto& definition = node_cast<FunctionStmt>(stmt);
            emit(Op::Def, definition.symbol, definition.id);
            break;
        }
        case StmtKind::If:
            if_statement(node_cast<IfStmt>(stmt));
            break;
        case StmtKind::While:
            while_statement(node_cast<WhileStmt>(stmt));
            break;
        case StmtKind::For:
            for_statement(node_cast<ForStmt>(stmt));
            break;
        case StmtKind::Match:
            match_statement(node_cast<MatchStmt>(stmt));
            break;
        case StmtKind::Try:
            try_statement(node_cast<TryStmt>(stmt));
            break;
        case StmtKind::Return:
            return_statement(node_cast<ReturnStmt>(stmt));
            break;
        case StmtKind::Break:
            signal_statement(Op::SetBreak, true);
            break;
        case StmtKind::Continue:
            signal_statement(Op::SetContinue, false);
            break;
        case StmtKind::Global:
            emit(Op::Global, node_cast<GlobalStmt>(stmt).symbol);
            break;
        case StmtKind::Use: {
            code_.uses.push_back(&node_cast<UseStmt>(stmt));
            emit(Op::Use, static_cast<uint32_t>(code_.uses.size() - 1));
            break;
        }
        case StmtKind::Expr:
            expression(*node_cast<ExprStmt>(stmt).expr);
            break;
    }
    free_registers_from(registers);
}

// name = value. Two shapes update in place instead of copying the whole payload: name =
// builtin(name, ...) (push, for one) and name = name + a + b .... Once every operand is
// evaluated nothing can observe the variable before the assignment, so its own share of the
// old value can be lent to the update first.
void Compiler::assign(const AssignStmt& node) {
    const Expr& value = *node.value;
    if (value.kind == ExprKind::Call) {
        const auto& call = node_cast<CallExpr>(value);
        if (unit_.calls[call.id].builtin != kNotBuiltin && !call.args.empty() &&
            call.args[0]->kind == ExprKind::Identifier &&
            node_cast<IdentifierExpr>(*call.args[0]).symbol == node.symbol) {
            const uint32_t base = take_register();
            call_at(call, base, &node.symbol);
            emit(Op::SetVar, node.symbol, reg(base));
            return;
        }
    }
    // name = name op value: one instruction that updates the variable where it lies, when
    // evaluating the value cannot change the variable first.
    if (value.kind == ExprKind::BinaryOp) {
        const auto& binary = node_cast<BinaryOpExpr>(value);
        if (binary.left->kind == ExprKind::Identifier &&
            node_cast<IdentifierExpr>(*binary.left).symbol == node.symbol &&
            !may_run_code(*binary.right)) {
            const uint32_t operand = expression(*binary.right);
            emit(Op::UpdateVar, node.symbol, operand, static_cast<uint32_t>(binary.op));
            return;
        }
    }
    const std::vector<const Expr*> chain = append_chain(value, node.symbol);
    if (!chain.empty()) {
        const uint32_t base = next_register();
        const bool calls = std::any_of(chain.begin() + 1, chain.end(),
                                       [](const Expr* e) { return may_run_code(*e); });
        if (!calls) {  // name = name + a + b ...: added to the variable where it lies
            for (size_t i = 1; i < chain.size(); ++i) {
                expression_into(*chain[i], base + static_cast<uint32_t>(i - 1));
            }
            emit(Op::AppendVar, node.symbol, base, static_cast<uint32_t>(chain.size() - 1));
            return;
        }
        // The operands may change the variable: its value is read first, then lent.
        for (size_t i = 0; i < chain.size(); ++i)
            expression_into(*chain[i], base + static_cast<uint32_t>(i));
        emit(Op::LendForUpdate, node.symbol, base);
        emit(Op::AppendChain, base, 0, static_cast<uint32_t>(chain.size() - 1));
        emit(Op::SetVar, node.symbol, reg(base));
        return;
    }
    emit(Op::SetVar, node.symbol, expression(value));
}

// name op= value reads the variable before it evaluates the value.
void Compiler::compound_assign(const CompoundAssignStmt& node) {
    if (!may_run_code(*node.value)) {  // nothing can change the variable meanwhile
        const uint32_t operand = expression(*node.value);
        emit(Op::UpdateVar, node.symbol, operand, static_cast<uint32_t>(node.op));
        return;
    }
    const Op op = node.op == BinaryOperator::Plus    ? Op::Add
                  : node.op == BinaryOperator::Minus ? Op::Sub
                  : node.op == BinaryOperator::Star  ? Op::Mul
                                                     : Op::Div;
    if (op == Op::Add) {  // may append to a string: in place, as in assign()
        const uint32_t current = take_register();
        emit(Op::Copy, current, cell(node.symbol));
        const uint32_t value = expression(*node.value);
        emit(Op::LendForUpdate, node.symbol, current);
        emit(Op::Add, current, reg(current), value);
        emit(Op::SetVar, node.symbol, reg(current));
        return;
    }
    const uint32_t mark = next_register();
    uint32_t current = cell(node.symbol);
    if (may_run_code(*node.value)) {
        current = reg(take_register());
        emit(Op::Copy, operand_index(current), cell(node.symbol));
    }
    const uint32_t value = expression(*node.value);
    free_registers_from(mark);
    const uint32_t result = take_register();
    emit(op, result, current, value);
    emit(Op::SetVar, node.symbol, reg(result));
}

void Compiler::if_statement(const IfStmt& node) {
    const Label otherwise = new_label();
    jump_unless(*node.condition, otherwise);
    block(node.then_body);
    if (!node.else_body) {
        place(otherwise);
        return;
    }
    const Label end = new_label();
    jump_field(emit(Op::Jump), 'a', end);
    place(otherwise);
    block(*node.else_body);
    place(end);
}

void Compiler::loop_body(const StmtList& body, Label handler, Label continue_at, Label exit) {
    loops_.push_back({continue_at, exit});
    handlers_.push_back(handler);
    block(body);
    handlers_.pop_back();
    loops_.pop_back();
}

// top: unless condition, go to exit; body; back edge (its boundary: the handler) to top.
// handler: on return or break leave, else go round. exit: a pending break ends with the loop.
void Compiler::while_statement(const WhileStmt& node) {
    const Label top = new_label();
    const Label back = new_label();
    const Label handler = new_label();
    const Label exit = new_label();
    place(top);
    jump_unless(*node.condition, exit);
    loop_body(node.body, handler, back, exit);
    place(back);
    pending_boundary_ = handler;
    jump_field(emit(Op::Loop), 'a', top);
    place(handler);
    const uint32_t signal = emit(Op::LoopSignal);
    jump_field(signal, 'a', exit);
    jump_field(signal, 'b', back);
    place(exit);
    emit(Op::ClearBreak);
}

// prep (first value, or exit / skip); body; next (the back edge) to body; exit; skip.
// A range loop counts without building the array; anything else iterates an array value.
void Compiler::for_statement(const ForStmt& node) {
    const uint32_t state = take_register();
    take_register();
    const bool counted = node.iter->kind == ExprKind::Range;
    if (counted) {
        const auto& range = node_cast<RangeExpr>(*node.iter);
        expression_into(*range.start, state);
        expression_into(*range.end, state + 1);
    } else {
        expression_into(*node.iter, state);
    }
    free_registers_from(state + 2);
    const Label body = new_label();
    const Label next = new_label();
    const Label handler = new_label();
    const Label exit = new_label();
    const Label after = new_label();
    jump_field(emit(counted ? Op::ForRangePrep : Op::ForArrayPrep, state, node.var_symbol), 'c',
               exit);
    place(body);
    loop_body(node.body, handler, next, exit);
    place(next);
    pending_boundary_ = handler;
    jump_field(emit(counted ? Op::ForRangeNext : Op::ForArrayNext, state, node.var_symbol), 'c',
               body);
    place(exit);
    emit(Op::ClearBreak);
    jump_field(emit(Op::Jump), 'a', after);  // the skip target: past the handler
    place(handler);
    const uint32_t signal = emit(Op::LoopSignal);
    jump_field(signal, 'a', exit);
    jump_field(signal, 'b', next);
    place(after);
}

// The value is evaluated once and kept; patterns are evaluated in arm order until one matches.
void Compiler::match_statement(const MatchStmt& node) {
    const uint32_t value = take_register();
    expression_into(*node.expr, value);
    const Label end = new_label();
    for (const MatchArm& arm : node.arms) {
        const Label next = new_label();
        if (arm.pattern.kind == PatternKind::Value) {
            const uint32_t pattern = expression(*arm.pattern.value);
            jump_field(emit(Op::JumpIfNoMatch, 0, reg(value), pattern), 'a', next);
            free_registers_from(value + 1);
        }
        block(arm.body);
        jump_field(emit(Op::Jump), 'a', end);
        place(next);
    }
    place(end);
}

// body; its end (boundary: the handler) jumps to end. handler: an Error return is caught into
// the variable and the catch body runs; anything else goes on to end.
void Compiler::try_statement(const TryStmt& node) {
    const Label handler = new_label();
    const Label caught = new_label();
    const Label end = new_label();
    const bool outer_try = inside_try_;
    inside_try_ = true;
    handlers_.push_back(handler);
    block(node.body);
    handlers_.pop_back();
    inside_try_ = outer_try;
    pending_boundary_ = handler;
    jump_field(emit(Op::Jump), 'a', end);
    place(handler);
    const uint32_t check = emit(Op::TryCheck, node.catch_symbol);
    jump_field(check, 'b', caught);
    jump_field(check, 'c', end);
    place(caught);
    block(node.catch_body);
    place(end);
}

// Straight out of a function, unless a try must see the value first or this is top-level
// code, where the return stays pending.
void Compiler::return_statement(const ReturnStmt& node) {
    const uint32_t value = node.value ? expression(*node.value) : constant(Value());
    if (context_ == Context::Function && !inside_try_) {
        emit(Op::Return, 0, value);
        return;
    }
    emit(Op::SetReturn, 0, value);
    jump_field(emit(Op::Jump), 'a', handlers_.back());
}

// Inside a loop of the same body, break and continue are jumps. Elsewhere they leave a stray
// signal pending and stop the statement list.
void Compiler::signal_statement(Op set_signal, bool is_break) {
    if (!loops_.empty()) {
        jump_field(emit(Op::Jump), 'a', is_break ? loops_.back().exit : loops_.back().continue_at);
        return;
    }
    emit(set_signal);
    jump_field(emit(Op::Jump), 'a', handlers_.back());
}

// ---- Entry points -------------------------------------------------------------------------

}  // namespace tarnel::detail

namespace tarnel {

Code compile_function(const Unit& unit, const CompiledFunction& function, CompileOptions options) {
    detail::Compiler compiler(unit, options, detail::Compiler::Context::Function);
    compiler.statements(function.definition.body);
    Code code = compiler.finish(Op::ReturnEnd);
    for (Symbol param : function.param_slots)
        code.max_symbol = std::max(code.max_symbol, param);
    return code;
}

Code compile_top_level(const Unit& unit, const StmtList& statements, CompileOptions options) {
    detail::Compiler compiler(unit, options, detail::Compiler::Context::TopLevel);
    compiler.statements(statements);
    return compiler.finish(Op::Halt);
}

Code compile_hoisting(const Unit& unit, const StmtList& statements, CompileOptions options) {
    detail::Compiler compiler(unit, options, detail::Compiler::Context::TopLevel);
    compiler.hoisting(statements);
    return compiler.finish(Op::Halt);
}

}  // namespace tarnel
