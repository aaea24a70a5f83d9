// The midpoint circle walk shared by circle outlines and discs.
#pragma once

#include <cstdint>

#include "coordinates.h"

namespace tarnel::graphics {

// Calls step(x, y) for each octant step of a circle of the given radius, from (radius, 0)
// until x < y; nothing for a radius of 0 or less. All arithmetic wraps at 32 bits.
// Radius 3 gives (3, 0), (2, 1); radius 5 gives (5, 0), (5, 1), (4, 2), (3, 3).
template <class Step>
void walk_circle(int32_t radius, Step&& step) {
    if (radius <= 0) return;
    int32_t x = radius;
    int32_t y = 0;
    int32_t err = 0;
    while (x >= y) {
        step(x, y);
        y = wrap_add(y, 1);
        err = wrap_add(err, wrap_add(wrap_twice(y), 1));
        if (wrap_add(wrap_twice(wrap_sub(err, x)), 1) > 0) {
            x = wrap_sub(x, 1);
            err = wrap_add(err, wrap_sub(1, wrap_twice(x)));
        }
    }
}

}  // namespace tarnel::graphics
