// The process's random source: uniformly distributed 64-bit words.
//
// One xoshiro256** generator per thread, seeded from the operating system's entropy source on
// first use. No seed can be set or read, so every run draws a different sequence.
#pragma once

#include <cstdint>

namespace tarnel {

uint64_t random_word();

// A uniform integer in [0, bound), without modulo bias; bound must not be 0.
uint64_t random_below(uint64_t bound);

}  // namespace tarnel
