// Compiling expressions: operands, operators, calls and literals of collections.
#include "compiler_internal.h"
#include "parser/tree_walk.h"

namespace tarnel::detail {

namespace {

uint32_t reg(uint32_t index) {
    return operand(OperandKind::Register, index);
}

Op binary_op(BinaryOperator op) {
    switch (op) {
        case BinaryOperator::Or:
            return Op::Or;
        case BinaryOperator::And:
            return Op::And;
        case BinaryOperator::Equal:
            return Op::Eq;
        case BinaryOperator::NotEqual:
            return Op::Ne;
        case BinaryOperator::Less:
            return Op::Lt;
        case BinaryOperator::Greater:
            return Op::Gt;
        case BinaryOperator::LessEqual:
            return Op::Le;
        case BinaryOperator::GreaterEqual:
            return Op::Ge;
        case BinaryOperator::Plus:
            return Op::Add;
        case BinaryOperator::Minus:
            return Op::Sub;
        case BinaryOperator::Star:
            return Op::Mul;
        case BinaryOperator::Slash:
            return Op::Div;
        case BinaryOperator::Percent:
            return Op::Mod;
        case BinaryOperator::Power:
            return Op::Pow;
    }
    return Op::Add;
}

// The jump that fuses a comparison, or nothing for other operators.
std::optional<Op> jump_unless_op(BinaryOperator op) {
    switch (op) {
        case BinaryOperator::Equal:
            return Op::JumpIfNotEq;
        case BinaryOperator::NotEqual:
            return Op::JumpIfNotNe;
        case BinaryOperator::Less:
            return Op::JumpIfNotLt;
        case BinaryOperator::Greater:
            return Op::JumpIfNotGt;
        case BinaryOperator::LessEqual:
            return Op::JumpIfNotLe;
        case BinaryOperator::GreaterEqual:
            return Op::JumpIfNotGe;
        default:
            return std::nullopt;
    }
}

}  // namespace

bool may_run_code(const Expr& expr) {
    std::vector<const Expr*> pending{&expr};
    while (!pending.empty()) {
        const Expr& node = *pending.back();
        pending.pop_back();
        if (node.kind == ExprKind::Call) return true;
        for_each_child(
            node, [&](const Expr& child) { pending.push_back(&child); }, [](const Stmt&) {});
    }
    return false;
}

uint32_t Compiler::expression(const Expr& expr) {
    switch (expr.kind) {
        case ExprKind::Number:
            return constant(Value::number(node_cast<NumberExpr>(expr).value));
        case ExprKind::Float:
            return constant(Value::real(node_cast<FloatExpr>(expr).value));
        case ExprKind::String:
            return constant(Value::string(node_cast<StringExpr>(expr).value));
        case ExprKind::Boolean:
            return constant(Value::boolean(node_cast<BooleanExpr>(expr).value));
        case ExprKind::Identifier:
            return operand(OperandKind::Cell, node_cast<IdentifierExpr>(expr).symbol);
        case ExprKind::BinaryOp:
            return binary(node_cast<BinaryOpExpr>(expr));
        case ExprKind::UnaryOp: {
            const auto& node = node_cast<UnaryOpExpr>(expr);
            const uint32_t mark = next_register();
            const uint32_t value = expression(*node.operand);
            free_registers_from(mark);
            const uint32_t result = take_register();
            emit(node.op == UnaryOperator::Not ? Op::Not : Op::Neg, result, value);
            return reg(result);
        }
        case ExprKind::Call:
            return call(node_cast<CallExpr>(expr));
        case ExprKind::Array: {
            const auto& node = node_cast<ArrayExpr>(expr);
            const uint32_t base = consecutive(node.items);
            emit(Op::NewArray, base, base, static_cast<uint32_t>(node.items.size()));
            return reg(base);
        }
        case ExprKind::Dict: {
            const auto& node = node_cast<DictExpr>(expr);
            std::vector<DictKey> keys;
            const uint32_t base = next_register();
            for (size_t i = 0; i < node.pairs.size(); ++i) {
                const std::string& key = node.pairs[i].first;
                keys.push_back({key, DictMap::hash_of(key)});
                expression_into(*node.pairs[i].second, base + static_cast<uint32_t>(i));
            }
            free_registers_from(base);
            take_register();
            code_.key_lists.push_back(std::move(keys));
            emit(Op::NewDict, base, base, static_cast<uint32_t>(code_.key_lists.size() - 1));
            return reg(base);
        }
        case ExprKind::Index:
            return index(node_cast<IndexExpr>(expr));
        case ExprKind::Range: {
            const auto& node = node_cast<RangeExpr>(expr);
            const uint32_t mark = next_register();
            const uint32_t start = left_operand(*node.start, *node.end);
            const uint32_t end = expression(*node.end);
            free_registers_from(mark);
            const uint32_t result = take_register();
            emit(Op::Range, result, start, end);
            return reg(result);
        }
    }
    return constant(Value());
}

void Compiler::expression_into(const Expr& expr, uint32_t target) {
    free_registers_from(target);
    const uint32_t value = expression(expr);
    if (value != reg(target)) emit(Op::Copy, target, value);
    free_registers_from(target);
    take_register();
}

uint32_t Compiler::left_operand(const Expr& left, const Expr& right) {
    const uint32_t value = expression(left);
    if (operand_kind(value) != OperandKind::Cell || !may_run_code(right)) return value;
    const uint32_t copy = take_register();  // the right side could change the variable
    emit(Op::Copy, copy, value);
    return reg(copy);
}

uint32_t Compiler::binary(const BinaryOpExpr& node) {
    const uint32_t mark = next_register();
    const uint32_t left = left_operand(*node.left, *node.right);
    const uint32_t right = expression(*node.right);
    free_registers_from(mark);
    const uint32_t result = take_register();
    emit(binary_op(node.op), result, left, right);
    return reg(result);
}

void Compiler::jump_unless(const Expr& condition, Label target) {
    const uint32_t mark = next_register();
    if (condition.kind == ExprKind::BinaryOp) {
        const auto& node = node_cast<BinaryOpExpr>(condition);
        if (const std::optional<Op> op = jump_unless_op(node.op)) {
            const uint32_t left = left_operand(*node.left, *node.right);
            const uint32_t right = expression(*node.right);
            jump_field(emit(*op, 0, left, right), 'a', target);
            free_registers_from(mark);
            return;
        }
    }
    jump_field(emit(Op::JumpIfFalse, 0, expression(condition)), 'a', target);
    free_registers_from(mark);
}

uint32_t Compiler::consecutive(const std::vector<ExprPtr>& items) {
    const uint32_t base = next_register();
    for (size_t i = 0; i < items.size(); ++i)
        expression_into(*items[i], base + static_cast<uint32_t>(i));
    free_registers_from(base);
    take_register();  // the result's register
    return base;
}

uint32_t Compiler::call(const CallExpr& node) {
    const uint32_t base = take_register();
    call_at(node, base);
    free_registers_from(base + 1);
    return reg(base);
}

void Compiler::call_at(const CallExpr& node, uint32_t base, const Symbol* lend) {
    const CallSite& site = unit_.calls[node.id];
    code_.calls.push_back(
        {&node, static_cast<uint32_t>(node.args.size()), site.route, site.builtin});
    const auto index = static_cast<uint32_t>(code_.calls.size() - 1);
    if (options_.tracing) emit(Op::TraceCall, 0, 0, index);  // before the arguments
    for (size_t i = 0; i < node.args.size(); ++i) {
        expression_into(*node.args[i], base + static_cast<uint32_t>(i));
    }
    if (lend != nullptr) emit(Op::LendForUpdate, *lend, base);
    const Op op = options_.tracing              ? Op::CallTraced
                  : site.builtin != kNotBuiltin ? Op::CallBuiltin
                                                : Op::Call;
    emit(op, base, 0, index);
    free_registers_from(base);
    take_register();
}

uint32_t Compiler::index(const IndexExpr& node) {
    const uint32_t mark = next_register();
    if (node.index->kind == ExprKind::String) {  // p.x and d["x"]: the key is built once
        const uint32_t object = expression(*node.object);
        const std::string& key = node_cast<StringExpr>(*node.index).value;
        code_.field_keys.push_back({key, DictMap::hash_of(key)});
        free_registers_from(mark);
        const uint32_t result = take_register();
        emit(Op::GetField, result, object, static_cast<uint32_t>(code_.field_keys.size() - 1));
        return reg(result);
    }
    const uint32_t object = left_operand(*node.object, *node.index);
    const uint32_t key = expression(*node.index);
    free_registers_from(mark);
    const uint32_t result = take_register();
    emit(Op::Index, result, object, key);
    return reg(result);
}

}  // namespace tarnel::detail
