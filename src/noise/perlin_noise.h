#pragma once

#include <stdint.h>

#include "noise/mersenne_twister.h"

namespace rm {

// Replaces a seed of 0.
constexpr uint32_t kDefaultNoiseSeed = 0x1EADBEEF;

// A shuffled permutation of 0..255 followed by a copy of it, so that entry k + 1 never wraps.
struct PerlinNoise {
    int32_t perm[512];
};

// A permutation table followed by the number of octaves summed by the octave noise.
struct OctaveNoise {
    PerlinNoise base;
    int32_t octaves;
};

constexpr PerlinNoise makePerlinNoise(uint32_t seed) {
    MersenneTwister engine = seedMersenneTwister(seed == 0 ? kDefaultNoiseSeed : seed);
    PerlinNoise table{};
    for (int32_t i = 0; i < 256; ++i)
        table.perm[i] = i;
    shuffle(table.perm, 256, engine);
    for (int32_t i = 0; i < 256; ++i)
        table.perm[256 + i] = table.perm[i];
    return table;
}

constexpr OctaveNoise makeOctaveNoise(int32_t octaves, uint32_t seed) {
    return {makePerlinNoise(seed), octaves};
}

}  // namespace rm
