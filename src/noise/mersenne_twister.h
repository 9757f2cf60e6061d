#pragma once

#include <stdint.h>

namespace rm {

// The MT19937 generator with 32-bit outputs, seeded from one word.
struct MersenneTwister {
    uint32_t state[624];
    uint32_t index;
};

namespace mt {

inline constexpr uint32_t kStateSize = 624;
inline constexpr uint32_t kShift = 397;
inline constexpr uint32_t kMatrixA = 0x9908b0df;
inline constexpr uint32_t kUpperMask = 0x80000000;
inline constexpr uint32_t kLowerMask = 0x7fffffff;

constexpr void twist(MersenneTwister& engine) {
    uint32_t* s = engine.state;
    for (uint32_t i = 0; i < kStateSize; ++i) {
        const uint32_t y = (s[i] & kUpperMask) | (s[(i + 1) % kStateSize] & kLowerMask);
        s[i] = s[(i + kShift) % kStateSize] ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
    }
    engine.index = 0;
}

constexpr void swapEntries(int32_t* a, uint32_t i, uint32_t j) {
    const int32_t t = a[i];
    a[i] = a[j];
    a[j] = t;
}

}  // namespace mt

// All constexpr, so that the scene's noise tables are built by the compiler.
constexpr MersenneTwister seedMersenneTwister(uint32_t seed) {
    MersenneTwister engine{};
    engine.state[0] = seed;
    for (uint32_t i = 1; i < mt::kStateSize; ++i) {
        const uint32_t prev = engine.state[i - 1];
        engine.state[i] = 1812433253u * (prev ^ (prev >> 30)) + i;
    }
    engine.index = mt::kStateSize;
    return engine;
}

// The next tempered output; regenerates the whole state first when it is used up.
constexpr uint32_t next(MersenneTwister& engine) {
    if (engine.index >= mt::kStateSize) mt::twist(engine);
    uint32_t y = engine.state[engine.index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}

// A draw in 0..n-1 (1 <= n) by multiply-and-reject, rejecting only below (2^32 - n) mod n.
constexpr uint32_t uniformBelow(MersenneTwister& engine, uint32_t n) {
    uint64_t p = uint64_t{next(engine)} * n;
    uint32_t low = static_cast<uint32_t>(p);
    if (low < n) {
        const uint32_t threshold = (0u - n) % n;
        while (low < threshold) {
            p = uint64_t{next(engine)} * n;
            low = static_cast<uint32_t>(p);
        }
    }
    return static_cast<uint32_t>(p >> 32);
}

// Shuffles a[0..n-1]: a single swap at position 1 when n is even, then one draw per pair of
// positions.
constexpr void shuffle(int32_t* a, uint32_t n, MersenneTwister& engine) {
    if (n < 2) return;
    uint32_t i = 1;
    if (n % 2 == 0) {
        mt::swapEntries(a, 1, uniformBelow(engine, 2));
        i = 2;
    }
    // One draw below b0 * b1 places two positions at once.
    while (i != n) {
        const uint32_t b0 = i + 1;
        const uint32_t b1 = i + 2;
        const uint32_t x = uniformBelow(engine, b0 * b1);
        mt::swapEntries(a, i, x / b1);
        mt::swapEntries(a, i + 1, x % b1);
        i += 2;
    }
}

}  // namespace rm
