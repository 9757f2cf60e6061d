#pragma once

#include <stdint.h>

namespace rm {

// Replaces a seed of 0.
constexpr uint32_t kDefaultNoiseSeed = 0x1EADBEEF;

// A shuffled permutation of 0..255 followed by a copy of it, so that entry k + 1 never wraps.
struct PerlinNoise {
    int32_t perm[512];
};

// A permutation table followed by the number of octaves summed by octaveNoise.
struct OctaveNoise {
    PerlinNoise base;
    int32_t octaves;
};

PerlinNoise makePerlinNoise(uint32_t seed);
OctaveNoise makeOctaveNoise(int32_t octaves, uint32_t seed);

// Improved gradient noise at a point, not rescaled; zero at every lattice point.
double noise(const PerlinNoise& table, double x, double y, double z);

// noise(x, y, 0), the only plane the ground and the sky sample. Equal to noise(x, y, 0) up to the
// sign of a zero result.
double noisePlane(const PerlinNoise& table, double x, double y);

// Sum of `octaves` noise samples at doubling frequency and halving amplitude.
double octaveNoise(const OctaveNoise& table, double x, double y, double z);

// octaveNoise(x, y, 0), built on noisePlane; the sum never depends on the sign of a zero term.
double octaveNoisePlane(const OctaveNoise& table, double x, double y);

}  // namespace rm
