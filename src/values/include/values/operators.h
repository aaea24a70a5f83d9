// The operator table: what every operator gives for every pair of values, and the comparison
// of match arms. Pure functions of their operands; integer division by zero gives 0 here, and
// the evaluator, which may write, reports it (divides_by_zero).
#pragma once

#include <cmath>
#include <cstdint>

#include "lexer/operators.h"
#include "values/value.h"

namespace tarnel {

// Floats are equal when they differ by less than the double machine epsilon (absolute).
constexpr double kFloatTolerance = 2.220446049250313e-16;

// Integer and float operators, inline for the evaluator's fast paths. Integer arithmetic wraps.
inline int64_t wrap(uint64_t bits) {
    return static_cast<int64_t>(bits);
}

inline Value number_operator(int64_t a, BinaryOperator op, int64_t b) {
    auto ua = static_cast<uint64_t>(a);
    auto ub = static_cast<uint64_t>(b);
    switch (op) {
        case BinaryOperator::Plus:
            return Value::number(wrap(ua + ub));
        case BinaryOperator::Minus:
            return Value::number(wrap(ua - ub));
        case BinaryOperator::Star:
            return Value::number(wrap(ua * ub));
        case BinaryOperator::Slash:
            if (b == 0) return Value::number(0);              // the caller reports the division
            if (b == -1) return Value::number(wrap(0 - ua));  // INT64_MIN / -1 wraps
            return Value::number(a / b);
        case BinaryOperator::Percent:
            if (b == 0) return Value::number(0);
            if (b == -1) return Value::number(0);
            return Value::number(a % b);
        case BinaryOperator::Power: {
            // Exponent: the low 32 bits, unsigned; wrap-around multiplication.
            auto exponent = static_cast<uint32_t>(ub);
            uint64_t result = 1;
            uint64_t base = ua;
            while (exponent != 0) {
                if (exponent & 1) result *= base;
                base *= base;
                exponent >>= 1;
            }
            return Value::number(wrap(result));
        }
        case BinaryOperator::Equal:
            return Value::boolean(a == b);
        case BinaryOperator::NotEqual:
            return Value::boolean(a != b);
        case BinaryOperator::Less:
            return Value::boolean(a < b);
        case BinaryOperator::Greater:
            return Value::boolean(a > b);
        case BinaryOperator::LessEqual:
            return Value::boolean(a <= b);
        case BinaryOperator::GreaterEqual:
            return Value::boolean(a >= b);
        default:
            return Value();
    }
}

inline Value float_operator(double a, BinaryOperator op, double b) {
    switch (op) {
        case BinaryOperator::Plus:
            return Value::real(a + b);
        case BinaryOperator::Minus:
            return Value::real(a - b);
        case BinaryOperator::Star:
            return Value::real(a * b);
        case BinaryOperator::Slash:
            return Value::real(a / b);
        case BinaryOperator::Percent:
            return Value::real(std::fmod(a, b));
        case BinaryOperator::Power:
            return Value::real(std::pow(a, b));
        case BinaryOperator::Equal: {
            double difference = std::fabs(a - b);
            return Value::boolean(difference < kFloatTolerance);  // false for NaN
        }
        case BinaryOperator::NotEqual: {
            double difference = std::fabs(a - b);
            return Value::boolean(difference >= kFloatTolerance);  // false for NaN
        }
        case BinaryOperator::Less:
            return Value::boolean(a < b);
        case BinaryOperator::Greater:
            return Value::boolean(a > b);
        case BinaryOperator::LessEqual:
            return Value::boolean(a <= b);
        case BinaryOperator::GreaterEqual:
            return Value::boolean(a >= b);
        default:
            return Value();
    }
}

// Any pair of values: Null for every combination the language does not define.
Value apply_operator(Value left, BinaryOperator op, const Value& right);
Value apply_unary(UnaryOperator op, const Value& operand);

// True when applying `op` is an integer division or remainder by zero.
inline bool divides_by_zero(const Value& left, BinaryOperator op, const Value& right) {
    return (op == BinaryOperator::Slash || op == BinaryOperator::Percent) &&
           left.is(ValueKind::Number) && right.is(ValueKind::Number) && right.as_number() == 0;
}

// Whether a match arm's pattern value selects `value`: same kind, and equal (floats within the
// tolerance); arrays, dictionaries and the other kinds never match.
bool values_match(const Value& value, const Value& pattern);

}  // namespace tarnel
