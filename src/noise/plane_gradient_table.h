#pragma once

// The gradient choices of a cell's corners as tables of factors. Made with tests of the code bits
// (see planeGradientCode), the choices follow random bits that no branch predictor can learn, and
// lanes of vectors have no such tests; products with factors of -1, 0 and +1 are exact, and every
// compiler keeps them as they are.
#include <stdint.h>

namespace rm {

// For lanes that look up a small table per lane: by the gradient code of a corner, the factors of
// the corner's offsets x and y in u + v and in v alone, each -1, 0 or 1. A product with such a
// factor is exact, and u + v never holds the same offset twice, so x * gX + y * gY is u + v and
// x * vX + y * vY is v, up to the sign of a zero term, which leaves every other sum as it is.
struct PlaneGradientFactors {
    alignas(64) double gX[16];
    alignas(64) double gY[16];
    alignas(64) double vX[16];
    alignas(64) double vY[16];
};

constexpr PlaneGradientFactors makePlaneGradientFactors() {
    PlaneGradientFactors f{};
    for (int32_t h = 0; h < 16; ++h) {
        const double uSign = (h & 1) ? -1.0 : 1.0;
        const double vSign = (h & 2) ? -1.0 : 1.0;
        const double uX = (h & 8) ? 0.0 : uSign;
        const double uY = (h & 8) ? uSign : 0.0;
        f.vX[h] = (h & 4) && (h & 8) ? vSign : 0.0;
        f.vY[h] = (h & 4) && !(h & 8) ? vSign : 0.0;
        f.gX[h] = uX + f.vX[h];
        f.gY[h] = uY + f.vY[h];
    }
    return f;
}

inline constexpr PlaneGradientFactors kPlaneGradientFactors = makePlaneGradientFactors();

// The factors of u and of v alone by gradient code, side by side for a single lane, which reads
// all four of a corner at once.
struct PlaneGradientFarFactors {
    struct Code {
        double uX;
        double uY;
        double vX;
        double vY;
    };
    alignas(64) Code codes[16];
};

constexpr PlaneGradientFarFactors makePlaneGradientFarFactors() {
    const PlaneGradientFactors f = makePlaneGradientFactors();
    PlaneGradientFarFactors far{};
    for (int32_t h = 0; h < 16; ++h)
        far.codes[h] = {f.gX[h] - f.vX[h], f.gY[h] - f.vY[h], f.vX[h], f.vY[h]};
    return far;
}

inline constexpr PlaneGradientFarFactors kPlaneGradientFarFactors = makePlaneGradientFarFactors();

// For a single lane, the factors of a near corner's u + v and of the far corner beside it along
// x, by the pair's two codes (near code in the low four bits), in entries of 64 bytes.
struct PlaneGradientPairFactors {
    struct Pair {
        double gX;
        double gY;
        PlaneGradientFarFactors::Code far;
        double unused[2];
    };
    alignas(64) Pair pairs[256];
};

constexpr PlaneGradientPairFactors makePlaneGradientPairFactors() {
    const PlaneGradientFactors f = makePlaneGradientFactors();
    const PlaneGradientFarFactors far = makePlaneGradientFarFactors();
    PlaneGradientPairFactors pairs{};
    for (int32_t h = 0; h < 256; ++h)
        pairs.pairs[h] = {f.gX[h & 15], f.gY[h & 15], far.codes[h >> 4], {0.0, 0.0}};
    return pairs;
}

inline constexpr PlaneGradientPairFactors kPlaneGradientPairFactors =
    makePlaneGradientPairFactors();

}  // namespace rm
