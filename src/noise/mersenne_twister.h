#pragma once

#include <stdint.h>

namespace rm {

// The MT19937 generator with 32-bit outputs, seeded from one word.
struct MersenneTwister {
    uint32_t state[624];
    uint32_t index;
};

MersenneTwister seedMersenneTwister(uint32_t seed);

// The next tempered output; regenerates the whole state first when it is used up.
uint32_t next(MersenneTwister& engine);

// A draw in 0..n-1 (1 <= n) by multiply-and-reject, rejecting only below (2^32 - n) mod n.
uint32_t uniformBelow(MersenneTwister& engine, uint32_t n);

// Shuffles a[0..n-1]: a single swap at position 1 when n is even, then one draw per pair of
// positions.
void shuffle(int32_t* a, uint32_t n, MersenneTwister& engine);

}  // namespace rm
