// Shape constructors. Every argument must be numeric; each is converted to its field's width
// by keeping the low bits, so -1 in an unsigned field reads back as 4294967295.
#include <array>
#include <cstddef>

#include "builtin_families.h"

namespace tarnel {

namespace {

// The first N arguments as 32-bit integers, or nothing if there are fewer or one is not numeric.
template <size_t N>
std::optional<std::array<int32_t, N>> int32_fields(Args args) {
    if (args.size() < N) return std::nullopt;
    std::array<int32_t, N> fields;
    for (size_t i = 0; i < N; ++i) {
        const auto field = to_int32(args[i]);
        if (!field) return std::nullopt;
        fields[i] = *field;
    }
    return fields;
}

}  // namespace

Value builtin_rect(Args args) {
    const auto f = int32_fields<4>(args);
    if (!f) return Value::null();
    return Value::rect(
        {(*f)[0], (*f)[1], static_cast<uint32_t>((*f)[2]), static_cast<uint32_t>((*f)[3])});
}

Value builtin_color(Args args) {
    if (args.size() < 3) return Value::null();
    const auto r = to_uint8(args[0]);
    const auto g = to_uint8(args[1]);
    const auto b = to_uint8(args[2]);
    if (!r || !g || !b) return Value::null();
    return Value::color({*r, *g, *b});
}

Value builtin_circle(Args args) {
    const auto f = int32_fields<3>(args);
    if (!f) return Value::null();
    return Value::circle({(*f)[0], (*f)[1], static_cast<uint32_t>((*f)[2])});
}

Value builtin_triangle(Args args) {
    const auto f = int32_fields<6>(args);
    if (!f) return Value::null();
    const auto& v = *f;
    return Value::triangle({v[0], v[1], v[2], v[3], v[4], v[5]});
}

}  // namespace tarnel
