// Statements, the block rule, the control signals and the run entry.
#include <cmath>
#include <new>
#include <stdexcept>

#include "interpreter/interpreter_state.h"

namespace tarnel {

namespace {


// name = value. Two shapes update in place instead of copying the whole payload:
// name = name + text, and name = builtin(name, ...) (push, for one). Between the end of the
// operand evaluation and the assignment nothing can observe the variable, so its own share
// of the old value can be dropped first, and the value updated has no other holder.
[[gnu::noinline]] void assign(Interpreter& interp, Symbol symbol, const Expr& value_expr) {
    if (value_expr.kind == ExprKind::BinaryOp) {
        const auto& node = node_cast<BinaryOpExpr>(value_expr);
        if (node.op == BinaryOperator::Plus && node.left->kind == ExprKind::Identifier &&
            node_cast<IdentifierExpr>(*node.left).symbol == symbol) {
            Value left = interp.env.get_variable(symbol);
            Value right = evaluate(interp, *node.right);
            if (interp.abandoned()) return;  // an abandoned run assigns nothing
            if (left.is(ValueKind::String) && right.is(ValueKind::String)) {
                Value* lent = release_for_update(interp, symbol, left);
                update_lent(lent, &left, [&] { left.mutable_string() += right.as_string(); });
                interp.env.set_variable(symbol, std::move(left));
                return;
            }
            interp.env.set_variable(symbol, operate(interp, std::move(left), BinaryOperator::Plus, right));
            return;
        }
    } else if (value_expr.kind == ExprKind::Call) {
        const auto& call = node_cast<CallExpr>(value_expr);
        ArgumentWindow window(interp);
        if (!begin_call(interp, call)) return;  // an abandoned run assigns nothing
        std::span<Value> args = window.values();
        // A builtin cannot observe variables, so `x = f(x, ...)` may hand it x's only share.
        Value* lent = nullptr;
        if (interp.unit->calls[call.id].builtin != kNotBuiltin && !call.args.empty() &&
            call.args[0]->kind == ExprKind::Identifier &&
            node_cast<IdentifierExpr>(*call.args[0]).symbol == symbol) {
            lent = release_for_update(interp, symbol, args[0]);
        }
        Value result = update_lent(lent, lent != nullptr ? &args[0] : nullptr,
                                   [&] { return invoke(interp, call, args); });
        if (!interp.abandoned()) interp.env.set_variable(symbol, std::move(result));
        return;
    }
    Value result = evaluate(interp, value_expr);
    if (!interp.abandoned()) interp.env.set_variable(symbol, std::move(result));
}

[[gnu::noinline]] void compound_assign(Interpreter& interp, const CompoundAssignStmt& node) {
    Value current = interp.env.get_variable(node.symbol);
    Value operand = evaluate(interp, *node.value);
    if (interp.abandoned()) return;  // an abandoned run assigns nothing
    if (node.op == BinaryOperator::Plus && current.is(ValueKind::String) &&
        operand.is(ValueKind::String)) {
        Value* lent = release_for_update(interp, node.symbol, current);
        update_lent(lent, &current, [&] { current.mutable_string() += operand.as_string(); });
        interp.env.set_variable(node.symbol, std::move(current));
        return;
    }
    interp.env.set_variable(node.symbol, operate(interp, std::move(current), node.op, operand));
}

[[gnu::noinline]] void run_for(Interpreter& interp, const ForStmt& node) {
    int64_t low = 0;
    int64_t high = 0;
    Value items;
    if (node.iter->kind == ExprKind::Range) {
        // A range loop counts without building the array; the outcome is the same.
        const auto& range = node_cast<RangeExpr>(*node.iter);
        Value start = evaluate(interp, *range.start);
        Value end = evaluate(interp, *range.end);
        auto a = to_int64(start);
        auto b = to_int64(end);
        if (!a || !b) return;
        low = *a;
        high = *b;
        if (low < high && static_cast<uint64_t>(high) - static_cast<uint64_t>(low) >
                              static_cast<uint64_t>(kMaxRangeLength)) {
            return;  // the range would be Null: not an array, nothing happens
        }
        for (int64_t i = low; i < high && interp.keep_going(); ++i) {
            interp.env.set_variable(node.var_symbol, Value::number(i));
            execute_block(interp, node.body);
            if (interp.stops_loop()) break;
            interp.signals.continue_signal = false;
        }
        interp.signals.break_signal = false;
        return;
    }
    items = evaluate(interp, *node.iter);
    if (!items.is(ValueKind::Array)) return;
    // `items` is this loop's own holder: writes elsewhere copy first, so the list is stable.
    const ValueList& list = items.as_array();
    for (const Value& item : list) {
        if (!interp.keep_going()) break;
        interp.env.set_variable(node.var_symbol, item);
        execute_block(interp, node.body);
        if (interp.stops_loop()) break;
        interp.signals.continue_signal = false;
    }
    interp.signals.break_signal = false;
}

[[gnu::noinline]] void run_while(Interpreter& interp, const WhileStmt& node) {
    while (interp.keep_going()) {
        if (!is_truthy(evaluate(interp, *node.condition))) break;
        execute_block(interp, node.body);
        if (interp.stops_loop()) break;
        interp.signals.continue_signal = false;
    }
    interp.signals.break_signal = false;
}

[[gnu::noinline]] void run_match(Interpreter& interp, const MatchStmt& node) {
    Value value = evaluate(interp, *node.expr);
    for (const MatchArm& arm : node.arms) {
        if (arm.pattern.kind == PatternKind::Wildcard ||
            values_match(value, evaluate(interp, *arm.pattern.value))) {
            execute_block(interp, arm.body);
            return;
        }
    }
}

[[gnu::noinline]] void run_try(Interpreter& interp, const TryStmt& node) {
    execute_block(interp, node.body);
    if (interp.signals.has_return && interp.signals.return_value.is(ValueKind::Error)) {
        Value caught = std::move(interp.signals.return_value);
        interp.signals.return_value = Value();
        interp.signals.has_return = false;
        interp.env.set_variable(node.catch_symbol, Value::string(caught.error_message()));
        execute_block(interp, node.catch_body);
    }
}

}  // namespace

Value* release_for_update(Interpreter& interp, Symbol symbol, const Value& value) {
    Value* slot = interp.env.shared_assignment_slot(symbol);
    if (slot == nullptr || !slot->shares_payload_with(value)) return nullptr;
    *slot = Value();
    return slot;
}


void execute_block(Interpreter& interp, const StmtList& statements) {
    for (const StmtPtr& statement : statements) {
        execute(interp, *statement);
        if (interp.signalled()) return;
    }
}

void execute(Interpreter& interp, const Stmt& stmt) {
    if (interp.abandoned()) [[unlikely]] return;
    switch (stmt.kind) {
        case StmtKind::Let:
        case StmtKind::Assign: {
            const auto& node = node_cast<AssignStmt>(stmt);
            assign(interp, node.symbol, *node.value);
            break;
        }
        case StmtKind::CompoundAssign:
            compound_assign(interp, node_cast<CompoundAssignStmt>(stmt));
            break;
        case StmtKind::Function: {
            const auto& node = node_cast<FunctionStmt>(stmt);
            interp.env.set_variable(node.symbol, interp.unit->function_value(node.id));
            break;
        }
        case StmtKind::If: {
            const auto& node = node_cast<IfStmt>(stmt);
            if (is_truthy(evaluate(interp, *node.condition))) {
                execute_block(interp, node.then_body);
            } else if (node.else_body) {
                execute_block(interp, *node.else_body);
            }
            break;
        }
        case StmtKind::While: run_while(interp, node_cast<WhileStmt>(stmt)); break;
        case StmtKind::For: run_for(interp, node_cast<ForStmt>(stmt)); break;
        case StmtKind::Match: run_match(interp, node_cast<MatchStmt>(stmt)); break;
        case StmtKind::Try: run_try(interp, node_cast<TryStmt>(stmt)); break;
        case StmtKind::Return: {
            const auto& node = node_cast<ReturnStmt>(stmt);
            interp.signals.return_value = node.value ? evaluate(interp, *node.value) : Value();
            interp.signals.has_return = true;
            break;
        }
        case StmtKind::Break: interp.signals.break_signal = true; break;
        case StmtKind::Continue: interp.signals.continue_signal = true; break;
        case StmtKind::Global:
            interp.env.declare_global(node_cast<GlobalStmt>(stmt).symbol);
            break;
        case StmtKind::Use: apply_use(interp, node_cast<UseStmt>(stmt)); break;
        case StmtKind::Expr: evaluate(interp, *node_cast<ExprStmt>(stmt).expr); break;
    }
}

namespace {

void run_statements(Interpreter& interp, const StmtList& statements) {
    // Hoisting pass: top-level lets and defs, in source order.
    for (const StmtPtr& statement : statements) {
        if (statement->kind == StmtKind::Let || statement->kind == StmtKind::Function) {
            execute(interp, *statement);
        }
    }
    Value main_function = interp.env.get_variable(interp.names()->intern("main"));
    if (main_function.is(ValueKind::Function)) {
        call_user_function(interp, static_cast<const CompiledFunction&>(*main_function.as_function()), {});
        return;
    }
    for (const StmtPtr& statement : statements) {
        execute(interp, *statement);
        if (interp.signals.has_return) break;
    }
}

// Memory running out anywhere in a run unwinds to here; everything on the way is released by
// its owner, and the interpreter is left as it was when the allocation failed.
template <typename Work>
void abandon_on_exhaustion(Interpreter& interp, Work&& work) {
    try {
        work();
    } catch (const std::bad_alloc&) {
        interp.abandon(Abandonment::OutOfMemory);
    } catch (const std::length_error&) {  // a size past what any container can hold
        interp.abandon(Abandonment::OutOfMemory);
    }
}

}  // namespace

int run_program(std::shared_ptr<const Unit> program, bool extra_debug_on,
                std::shared_ptr<NameTable> names, RunLimits limits) {
    set_extra_debug(extra_debug_on);
    Interpreter interp(std::move(names), limits);
    abandon_on_exhaustion(interp, [&] {
        run_in_unit(interp, *program, [&] { run_statements(interp, program->statements); });
    });
    return interp.abandoned() ? 1 : 0;
}

Session::Session(std::shared_ptr<NameTable> names, RunLimits limits)
    : names_(std::move(names)), interpreter_(std::make_unique<Interpreter>(names_, limits)) {}

Session::~Session() = default;

NameTable& Session::names() { return *names_; }

bool Session::run_input(std::shared_ptr<const Unit> input) {
    Interpreter& interp = *interpreter_;
    abandon_on_exhaustion(interp, [&] {
        run_in_unit(interp, *input, [&] {
            for (const StmtPtr& statement : input->statements) execute(interp, *statement);
        });
    });
    if (!interp.abandoned()) return true;
    // Every call has returned by now; the shell goes on with the state reached.
    interp.clear_abandonment();
    interp.signals.has_return = interp.signals.break_signal = interp.signals.continue_signal = false;
    interp.signals.return_value = Value();
    return false;
}

}  // namespace tarnel
