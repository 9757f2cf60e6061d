#include "noise/mersenne_twister.h"

namespace rm {
namespace {

constexpr uint32_t kStateSize = 624;
constexpr uint32_t kShift = 397;
constexpr uint32_t kMatrixA = 0x9908b0df;
constexpr uint32_t kUpperMask = 0x80000000;
constexpr uint32_t kLowerMask = 0x7fffffff;

void twist(MersenneTwister& engine) {
    uint32_t* s = engine.state;
    for (uint32_t i = 0; i < kStateSize; ++i) {
        const uint32_t y = (s[i] & kUpperMask) | (s[(i + 1) % kStateSize] & kLowerMask);
        s[i] = s[(i + kShift) % kStateSize] ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
    }
    engine.index = 0;
}

void swapEntries(int32_t* a, uint32_t i, uint32_t j) {
    const int32_t t = a[i];
    a[i] = a[j];
    a[j] = t;
}

}  // namespace

MersenneTwister seedMersenneTwister(uint32_t seed) {
    MersenneTwister engine;
    engine.state[0] = seed;
    for (uint32_t i = 1; i < kStateSize; ++i) {
        const uint32_t prev = engine.state[i - 1];
        engine.state[i] = 1812433253u * (prev ^ (prev >> 30)) + i;
    }
    engine.index = kStateSize;
    return engine;
}

uint32_t next(MersenneTwister& engine) {
    if (engine.index >= kStateSize) twist(engine);
    uint32_t y = engine.state[engine.index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}

uint32_t uniformBelow(MersenneTwister& engine, uint32_t n) {
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

void shuffle(int32_t* a, uint32_t n, MersenneTwister& engine) {
    if (n < 2) return;
    uint32_t i = 1;
    if (n % 2 == 0) {
        swapEntries(a, 1, uniformBelow(engine, 2));
        i = 2;
    }
    // One draw below b0 * b1 places two positions at once.
    while (i != n) {
        const uint32_t b0 = i + 1;
        const uint32_t b1 = i + 2;
        const uint32_t x = uniformBelow(engine, b0 * b1);
        swapEntries(a, i, x / b1);
        swapEntries(a, i + 1, x % b1);
        i += 2;
    }
}

}  // namespace rm
