// Expression evaluation.
#include <cmath>

#include "interpreter/interpreter_state.h"

namespace tarnel {

namespace {

Value index_value(const Value& object, const Value& index) {
    if (object.is(ValueKind::Array) && index.is(ValueKind::Number)) {
        const ValueList& items = object.as_array();
        int64_t i = index.as_number();
        if (i < 0 || static_cast<uint64_t>(i) >= items.size()) return Value();
        return items[static_cast<size_t>(i)];
    }
    if (object.is(ValueKind::Dict) && index.is(ValueKind::String)) {
        const DictMap& map = object.as_dict();
        auto found = map.find(index.as_string());
        return found == map.end() ? Value() : found->second;
    }
    return Value();
}

// Leaves whose evaluation has no effects: while one is evaluated, references to variables
// taken just before stay valid.
bool is_pure_leaf(const Expr& expr) {
    switch (expr.kind) {
        case ExprKind::Identifier: case ExprKind::Number: case ExprKind::Float:
        case ExprKind::Boolean: case ExprKind::String:
            return true;
        default:
            return false;
    }
}

void reserve_if_identifier(Interpreter& interp, const Expr& expr) {
    if (expr.kind == ExprKind::Identifier) {
        interp.env.reserve_symbol(node_cast<IdentifierExpr>(expr).symbol);
    }
}

// A variable is read in place; anything else is evaluated into `scratch`.
inline const Value& operand(Interpreter& interp, const Expr& expr, Value& scratch) {
    if (expr.kind == ExprKind::Identifier) {
        return interp.env.lookup(node_cast<IdentifierExpr>(expr).symbol);
    }
    if (expr.kind == ExprKind::Number) {
        scratch = Value::number(node_cast<NumberExpr>(expr).value);
        return scratch;
    }
    scratch = evaluate(interp, expr);
    return scratch;
}

// Both operands are evaluated: numbers take the direct path, everything else the full table.
// A temporary `left` is moved on, so that an unshared string is appended to in place.
template <typename Left>
Value combine(Interpreter& interp, Left&& left, BinaryOperator op, const Value& right) {
    if (left.kind() == right.kind()) {
        if (left.is(ValueKind::Number)) {
            if (right.as_number() == 0) [[unlikely]] return operate(interp, left, op, right);
            return number_operator(left.as_number(), op, right.as_number());
        }
        if (left.is(ValueKind::Float)) return float_operator(left.as_float(), op, right.as_float());
    }
    return apply_operator(std::forward<Left>(left), op, right);
}

[[gnu::noinline]] Value binary(Interpreter& interp, const BinaryOpExpr& node) {
    const BinaryOperator op = node.op;
    if (!is_pure_leaf(*node.right)) {
        Value left = evaluate(interp, *node.left);
        Value right = evaluate(interp, *node.right);
        return combine(interp, std::move(left), op, right);
    }
    // The right side cannot change any variable, so both sides may be read in place.
    reserve_if_identifier(interp, *node.right);
    Value left_scratch;
    Value right_scratch;
    const Value& left = operand(interp, *node.left, left_scratch);
    const Value& right = operand(interp, *node.right, right_scratch);
    return combine(interp, left, op, right);
}

[[gnu::noinline]] Value index(Interpreter& interp, const IndexExpr& node) {
    Value object_scratch;
    const Value* object;
    if (node.object->kind == ExprKind::Identifier && is_pure_leaf(*node.index)) {
        reserve_if_identifier(interp, *node.index);
        object = &operand(interp, *node.object, object_scratch);
    } else {
        object_scratch = evaluate(interp, *node.object);
        object = &object_scratch;
    }
    if (node.index->kind == ExprKind::String) {
        // Member access (p.x) and literal keys: look up without building a String.
        if (!object->is(ValueKind::Dict)) return Value();
        const DictMap& map = object->as_dict();
        auto found = map.find(node_cast<StringExpr>(*node.index).value);
        return found == map.end() ? Value() : found->second;
    }
    Value index_scratch;
    const Value& key = operand(interp, *node.index, index_scratch);
    return index_value(*object, key);
}

}  // namespace

Value operate(Interpreter& interp, Value left, BinaryOperator op, const Value& right) {
    if (divides_by_zero(left, op, right)) interp.report("Error: division by zero\n");
    return apply_operator(std::move(left), op, right);
}

Value make_range(const Value& start, const Value& end) {
    auto low = to_int64(start);
    auto high = to_int64(end);
    if (!low || !high) return Value();
    ValueList items;
    if (*low < *high) {
        uint64_t count = static_cast<uint64_t>(*high) - static_cast<uint64_t>(*low);
        if (count > static_cast<uint64_t>(kMaxRangeLength)) return Value();
        items.reserve(count);
        for (int64_t i = *low; i < *high; ++i) items.push_back(Value::number(i));
    }
    return Value::array(std::move(items));
}

namespace {

// Compound nodes live out of line so that evaluate itself stays a small dispatcher: leaves
// (the most frequent nodes) then cost no more than a short call.
[[gnu::noinline]] Value evaluate_unary(Interpreter& interp, const UnaryOpExpr& node) {
    Value scratch;
    return apply_unary(node.op, operand(interp, *node.operand, scratch));
}

[[gnu::noinline]] Value evaluate_array(Interpreter& interp, const ArrayExpr& node) {
    ValueList items;
    items.reserve(node.items.size());
    for (const ExprPtr& item : node.items) items.push_back(evaluate(interp, *item));
    return Value::array(std::move(items));
}

[[gnu::noinline]] Value evaluate_dict(Interpreter& interp, const DictExpr& node) {
    DictMap map;
    map.reserve(node.pairs.size());
    for (const auto& [key, value] : node.pairs) {
        map.insert_or_assign(key, evaluate(interp, *value));  // the last occurrence wins
    }
    return Value::dict(std::move(map));
}

[[gnu::noinline]] Value evaluate_range(Interpreter& interp, const RangeExpr& node) {
    Value start = evaluate(interp, *node.start);
    Value end = evaluate(interp, *node.end);
    return make_range(start, end);
}

[[gnu::noinline]] Value evaluate_string(const StringExpr& node) { return Value::string(node.value); }

}  // namespace

Value evaluate(Interpreter& interp, const Expr& expr) {
    switch (expr.kind) {
        case ExprKind::Number: return Value::number(node_cast<NumberExpr>(expr).value);
        case ExprKind::Float: return Value::real(node_cast<FloatExpr>(expr).value);
        case ExprKind::String: return evaluate_string(node_cast<StringExpr>(expr));
        case ExprKind::Boolean: return Value::boolean(node_cast<BooleanExpr>(expr).value);
        case ExprKind::Identifier:
            return interp.env.get_variable(node_cast<IdentifierExpr>(expr).symbol);
        case ExprKind::BinaryOp: return binary(interp, node_cast<BinaryOpExpr>(expr));
        case ExprKind::UnaryOp: return evaluate_unary(interp, node_cast<UnaryOpExpr>(expr));
        case ExprKind::Call: return call_function(interp, node_cast<CallExpr>(expr));
        case ExprKind::Array: return evaluate_array(interp, node_cast<ArrayExpr>(expr));
        case ExprKind::Dict: return evaluate_dict(interp, node_cast<DictExpr>(expr));
        case ExprKind::Index: return index(interp, node_cast<IndexExpr>(expr));
        case ExprKind::Range: return evaluate_range(interp, node_cast<RangeExpr>(expr));
    }
    return Value();
}

}  // namespace tarnel
