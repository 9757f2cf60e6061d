#pragma once

#include <stdint.h>

#include "noise/perlin_noise.h"
#include "reference/observer.h"

namespace rm::reference {

// Improved gradient noise at a point, not rescaled; zero at every lattice point.
double noise(const PerlinNoise& table, double x, double y, double z);

// Sum of `octaves` noise samples at doubling frequency and halving amplitude.
template <typename Observer>
double octaveNoise(Observer& observer, const OctaveNoise& table, double x, double y, double z) {
    double sum = 0.0;
    double amplitude = 1.0;
    for (int32_t i = 0; i < table.octaves; ++i) {
        const double n = noise(table.base, x, y, z);
        observer.value("octave", i, n);
        sum = sum + amplitude * n;
        amplitude = amplitude * 0.5;
        x = x + x;
        y = y + y;
        z = z + z;
    }
    return sum;
}

double octaveNoise(const OctaveNoise& table, double x, double y, double z);

}  // namespace rm::reference
