#include "values/operators.h"

#include <utility>

namespace tarnel {

namespace {

Value string_operator(Value left, BinaryOperator op, const Value& right) {
    switch (op) {
        case BinaryOperator::Plus:
            // Appends in place when the left payload is not shared.
            left.mutable_string() += right.as_string();
            return left;
        case BinaryOperator::Equal:
            return Value::boolean(left.as_string() == right.as_string());
        case BinaryOperator::NotEqual:
            return Value::boolean(left.as_string() != right.as_string());
        default:
            return Value();
    }
}

Value boolean_operator(bool a, BinaryOperator op, bool b) {
    switch (op) {
        case BinaryOperator::And:
            return Value::boolean(a && b);
        case BinaryOperator::Or:
            return Value::boolean(a || b);
        case BinaryOperator::Equal:
            return Value::boolean(a == b);
        case BinaryOperator::NotEqual:
            return Value::boolean(a != b);
        default:
            return Value();
    }
}

}  // namespace

Value apply_operator(Value left, BinaryOperator op, const Value& right) {
    if (left.kind() != right.kind()) return Value();
    switch (left.kind()) {
        case ValueKind::Number:
            return number_operator(left.as_number(), op, right.as_number());
        case ValueKind::Float:
            return float_operator(left.as_float(), op, right.as_float());
        case ValueKind::String:
            return string_operator(std::move(left), op, right);
        case ValueKind::Boolean:
            return boolean_operator(left.as_boolean(), op, right.as_boolean());
        default:
            return Value();
    }
}

Value apply_unary(UnaryOperator op, const Value& operand) {
    if (op == UnaryOperator::Not) return Value::boolean(!is_truthy(operand));
    if (op == UnaryOperator::Minus) {
        if (operand.is(ValueKind::Number)) {
            return Value::number(wrap(0 - static_cast<uint64_t>(operand.as_number())));
        }
        if (operand.is(ValueKind::Float)) return Value::real(-operand.as_float());
    }
    return Value();
}

bool values_match(const Value& value, const Value& pattern) {
    if (value.kind() != pattern.kind()) return false;
    switch (value.kind()) {
        case ValueKind::Number:
            return value.as_number() == pattern.as_number();
        case ValueKind::Float:
            return std::fabs(value.as_float() - pattern.as_float()) < kFloatTolerance;
        case ValueKind::String:
            return value.as_string() == pattern.as_string();
        case ValueKind::Boolean:
            return value.as_boolean() == pattern.as_boolean();
        case ValueKind::Null:
            return true;
        default:
            return false;
    }
}

}  // namespace tarnel
