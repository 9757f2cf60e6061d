#pragma once

// The plane noise of one point with the gradient choices of its four corners read from a table.
// Made with tests of the hash bits, the choices follow random bits that no branch predictor can
// learn; a table turns each corner into two loads and two multiplications by +1 or -1, which
// every compiler keeps as they are.
#include <stdint.h>

#include "noise/gradient_terms.h"

namespace rm {

// One corner's gradient components: the offsets they take, as indices into
// {xf, xf - 1, yf, yf - 1, 0}, and their signs. A product with +1 or -1 is exact, so each
// component is bit for bit the one gradientTerms selects and negates.
struct PlaneGradientChoice {
    double uSign;
    double vSign;
    int32_t u;
    int32_t v;
};

// For each corner of a cell, (X, Y), (X + 1, Y), (X, Y + 1), (X + 1, Y + 1), and each four-bit
// hash.
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
            c.v = (h & 12) == 0 ? y : ((h & 13) == 12 ? x : zero);
            c.uSign = (h & 1) ? -1.0 : 1.0;
            c.vSign = (h & 2) ? -1.0 : 1.0;
        }
    }
    return table;
}

inline constexpr PlaneGradientTable kPlaneGradients = makePlaneGradientTable();

// planeNoise of the cell whose four corner hashes are packed in `corners` (corner (X, Y) in the
// lowest four bits), in the same order of operations.
inline double planeNoiseFromCorners(int32_t corners, double xf, double yf) {
    const double offsets[5] = {xf, xf - 1.0, yf, yf - 1.0, 0.0};
    auto terms = [&](int corner) {
        const PlaneGradientChoice& c = kPlaneGradients.choices[corner][corners >> 4 * corner & 15];
        return GradientTerms{offsets[c.u] * c.uSign, offsets[c.v] * c.vSign};
    };
    const double fu = fade(xf);
    const double fv = fade(yf);
    const GradientTerms c1 = terms(0);
    const GradientTerms c3 = terms(2);
    const double g1 = c1.u + c1.v;
    const double l1 = lerpAlongX(terms(1), g1, fu);
    const double g3 = c3.u + c3.v;
    const GradientTerms c4 = terms(3);
    return (((c4.u - g3) + c4.v) * fu + (g3 - l1)) * fv + l1;
}

}  // namespace rm
