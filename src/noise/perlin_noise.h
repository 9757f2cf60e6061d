#pragma once

#include <stdint.h>

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

PerlinNoise makePerlinNoise(uint32_t seed);
OctaveNoise makeOctaveNoise(int32_t octaves, uint32_t seed);

}  // namespace rm
