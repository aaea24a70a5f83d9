// Integer rules shared by every drawing path: 32-bit wrap-around arithmetic, and the clamping
// applied to whatever reaches the renderer.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tarnel::graphics {

// Points are kept within half the 32-bit range so the renderer's own arithmetic cannot overflow.
inline constexpr int32_t kCoordinateMin = -1073741824;
inline constexpr int32_t kCoordinateMax = 1073741823;

inline int clamp_coordinate(int32_t v) {
    return std::clamp(v, kCoordinateMin, kCoordinateMax);
}

// Rectangle sizes: 0 becomes 1, anything above the coordinate limit becomes that limit.
inline int clamp_size(uint32_t v) {
    if (v == 0) return 1;
    return v > uint32_t(kCoordinateMax) ? kCoordinateMax : int(v);
}

// Signed 32-bit arithmetic with wrap-around (well defined through the unsigned type).
inline int32_t wrap_add(int32_t a, int32_t b) {
    return int32_t(uint32_t(a) + uint32_t(b));
}
inline int32_t wrap_sub(int32_t a, int32_t b) {
    return int32_t(uint32_t(a) - uint32_t(b));
}
inline int32_t wrap_twice(int32_t a) {
    return int32_t(uint32_t(a) << 1);
}
inline int32_t wrap_neg(int32_t a) {
    return int32_t(0u - uint32_t(a));
}
inline int32_t wrap_abs(int32_t a) {
    return a < 0 ? wrap_neg(a) : a;
}

// Float to int32, saturating at the limits; NaN gives 0.
inline int32_t saturate_to_int32(float f) {
    if (std::isnan(f)) return 0;
    if (f >= 2147483648.0f) return INT32_MAX;
    if (f <= -2147483648.0f) return INT32_MIN;
    return int32_t(f);
}

}  // namespace tarnel::graphics
