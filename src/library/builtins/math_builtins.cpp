// Mathematics and random-number builtins. Results have a fixed variant per builtin (only
// `abs` follows its argument); Numbers pass through doubles wherever a double is computed.
#include <cmath>
#include <cstdint>
#include <limits>

#include "builtin_families.h"
#include "random_source.h"

namespace tarnel {

namespace {

template <double (*Round)(double)>
Value round_to_number(Args args) {
    if (args.empty()) return Value::null();
    const auto x = to_double(args[0]);
    if (!x) return Value::null();
    return Value::number(saturating_trunc(Round(*x)));
}

double floor_of(double x) {
    return std::floor(x);
}
double ceil_of(double x) {
    return std::ceil(x);
}
// Halfway cases away from zero.
double round_of(double x) {
    return std::round(x);
}

// Reduces the numeric arguments with `pick`; non-numeric ones are skipped.
template <double (*Pick)(double, double)>
Value extreme(Args args) {
    if (args.size() < 2) return Value::null();
    std::optional<double> best;
    for (const Value& arg : args) {
        if (const auto x = to_double(arg)) best = best ? Pick(*best, *x) : *x;
    }
    return best ? Value::real(*best) : Value::null();
}

// fmin/fmax ignore a NaN operand, so one NaN among numbers does not hide the answer.
double smaller(double a, double b) {
    return std::fmin(a, b);
}
double larger(double a, double b) {
    return std::fmax(a, b);
}

}  // namespace

Value builtin_abs(Args args) {
    if (args.empty()) return Value::null();
    const Value& x = args[0];
    if (x.is(ValueKind::Number)) {
        const int64_t n = x.as_number();
        // The magnitude of the smallest Number does not fit; it comes back unchanged.
        return n < 0 && n != std::numeric_limits<int64_t>::min() ? Value::number(-n) : x;
    }
    if (x.is(ValueKind::Float)) return Value::real(std::fabs(x.as_float()));
    return Value::null();
}

Value builtin_pow(Args args) {
    if (args.size() < 2) return Value::null();
    const auto base = to_double(args[0]);
    const auto exponent = to_double(args[1]);
    if (!base || !exponent) return Value::null();
    return Value::real(std::pow(*base, *exponent));
}

Value builtin_sqrt(Args args) {
    if (args.empty()) return Value::null();
    const auto x = to_double(args[0]);
    return x ? Value::real(std::sqrt(*x)) : Value::null();
}

Value builtin_floor(Args args) {
    return round_to_number<floor_of>(args);
}
Value builtin_ceil(Args args) {
    return round_to_number<ceil_of>(args);
}
Value builtin_round(Args args) {
    return round_to_number<round_of>(args);
}

Value builtin_min(Args args) {
    return extreme<smaller>(args);
}
Value builtin_max(Args args) {
    return extreme<larger>(args);
}

Value builtin_random(Args) {
    return Value::real(static_cast<double>(random_word() >> 11) * 0x1.0p-53);
}

Value builtin_random_range(Args args) {
    if (args.size() < 2) return Value::null();
    const auto low = to_int64(args[0]);
    const auto high = to_int64(args[1]);
    if (!low || !high) return Value::null();
    if (*low == *high) return Value::number(*low);
    // A uniform integer from low toward high, high excluded, in either direction. The span is
    // exact in unsigned arithmetic (up to 2^64 - 1), and the draw is unbiased.
    const bool upward = *low < *high;
    const uint64_t span = upward ? static_cast<uint64_t>(*high) - static_cast<uint64_t>(*low)
                                 : static_cast<uint64_t>(*low) - static_cast<uint64_t>(*high);
    const uint64_t offset = random_below(span);
    const uint64_t base = static_cast<uint64_t>(*low);
    return Value::number(static_cast<int64_t>(upward ? base + offset : base - offset));
}

}  // namespace tarnel
