#include "random_source.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <random>

namespace tarnel {

namespace {

constexpr uint64_t rotl(uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

// xoshiro256** (Blackman and Vigna): 256 bits of state, period 2^256 - 1.
class Xoshiro256 {
  public:
    Xoshiro256() {
        const uint64_t seed = entropy_seed();
        // Spread the seed over the whole state with splitmix64, which never yields an
        // all-zero state (the one state xoshiro must avoid).
        uint64_t z = seed;
        for (uint64_t& word : state_) {
            z += 0x9E3779B97F4A7C15ULL;
            uint64_t x = z;
            x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
            x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
            word = x ^ (x >> 31);
        }
    }

    uint64_t next() {
        const uint64_t result = rotl(state_[1] * 5, 7) * 9;
        const uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotl(state_[3], 45);
        return result;
    }

  private:
    static uint64_t entropy_seed() {
        uint64_t seed = 0;
        ssize_t got;
        do {
            got = getrandom(&seed, sizeof seed, 0);
        } while (got < 0 && errno == EINTR);
        if (got != static_cast<ssize_t>(sizeof seed)) {
            // Kernels without getrandom: random_device reads the same entropy pool.
            std::random_device device;
            seed = (static_cast<uint64_t>(device()) << 32) ^ device();
        }
        return seed;
    }

    std::array<uint64_t, 4> state_{};
};

}  // namespace

uint64_t random_word() {
    thread_local Xoshiro256 generator;
    return generator.next();
}

uint64_t random_below(uint64_t bound) {
    // Lemire's multiply-and-reject: the high word of word * bound is uniform once the few
    // low words that would over-represent some results are redrawn.
    unsigned __int128 product = static_cast<unsigned __int128>(random_word()) * bound;
    auto low = static_cast<uint64_t>(product);
    if (low < bound) {
        const uint64_t threshold = (0 - bound) % bound;
        while (low < threshold) {
            product = static_cast<unsigned __int128>(random_word()) * bound;
            low = static_cast<uint64_t>(product);
        }
    }
    return static_cast<uint64_t>(product >> 64);
}

}  // namespace tarnel
