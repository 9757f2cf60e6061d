#pragma once

// The gradient choices of a cell's corners as a table, for the plane noise of a single lane. Made
// with tests of the code bits (see planeGradientCode), the choices follow random bits that no
// branch predictor can learn; a table turns each corner into two loads and two multiplications by
// +1 or -1, which every compiler keeps as they are.
#include <stdint.h>

namespace rm {

// One corner's gradient components: the offsets they take, as indices into
// {xf, xf - 1, yf, yf - 1, 0}, and their signs. A product with +1 or -1 is exact, so each
// component is bit for bit the one the hash bits select and negate.
struct PlaneGradientChoice {
    double uSign;
    double vSign;
    int32_t u;
    int32_t v;
};

// For each corner of a cell, (X, Y), (X + 1, Y), (X, Y + 1), (X + 1, Y + 1), and each gradient
// code.
struct PlaneGradientTable {
    PlaneGradientChoice choices[4][16];
};

constexpr PlaneGradientTable makePlaneGradientTable() {
    PlaneGradientTable table{};
    for (int corner = 0; corner < 4; ++corner) {
        const int32_t x = corner & 1;
        const int32_t y = 2 + (corner >> 1);
        const int32_t zero = 4;
        for (int32_t h = 0; h < 16; ++h) {
            PlaneGradientChoice& c = table.choices[corner][h];
            c.u = (h & 8) ? y : x;
            c.v = (h & 4) ? ((h & 8) ? x : y) : zero;
            c.uSign = (h & 1) ? -1.0 : 1.0;
            c.vSign = (h & 2) ? -1.0 : 1.0;
        }
    }
    return table;
}

inline constexpr PlaneGradientTable kPlaneGradients = makePlaneGradientTable();

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

}  // namespace rm
