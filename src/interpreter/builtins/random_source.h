// The process's random source: uniformly distributed 64-bit words.
//
// One xoshiro256** generator per thread, seeded from the operating system's entropy source on
// first use. No seed can be set or read, so every run draws a different sequence.
#pragma once

#include <cstdint>

namespace tarnel {

uint64_t random_word();

}  // namespace tarnel
