#pragma once

#include <stdint.h>

#include "math/float_ops.h"

namespace rm {

// Building blocks of the gradient noise, shared by its evaluations.

inline double fade(double t) { return ((t * 6.0 - 15.0) * t + 10.0) * ((t * t) * t); }

// The lattice cell of a floored coordinate; the lattice repeats every 256 cells. Floors outside
// the 32-bit range never occur in the scene and map to cell 0.
inline int32_t cellIndex(double floored) {
    if (!(floored >= -2147483648.0 && floored < 2147483648.0)) return 0;
    return static_cast<int32_t>(floored) & 255;
}

// The two components of a corner gradient, before they are added: only the low four bits of h
// choose them.
struct GradientTerms {
    double u;
    double v;
};

inline GradientTerms gradientTerms(int32_t h, double x, double y, double z) {
    double u = (h & 8) ? y : x;
    double v = (h & 12) == 0 ? y : ((h & 13) == 12 ? x : z);
    if (h & 1) u = -u;
    if (h & 2) v = -v;
    return {u, v};
}

// Lerp from a toward the far corner of an x pair, whose value is never formed on its own:
// ((U - a) + V) * t + a.
inline double lerpAlongX(GradientTerms far, double a, double t) {
    return ((far.u - a) + far.v) * t + a;
}

// Offsets and fade weights of a point in its cell of the plane z = 0.
struct PlaneCell {
    int32_t x;
    int32_t y;
    double xf;
    double yf;
};

inline PlaneCell planeCell(double x, double y) {
    const double fx = floorD(x);
    const double fy = floorD(y);
    return {cellIndex(fx), cellIndex(fy), x - fx, y - fy};
}

// The noise of the plane z = 0 from the hashes of the cell's corners (X, Y), (X + 1, Y),
// (X, Y + 1), (X + 1, Y + 1). The upper four corners of the cell have z weight fade(0) = 0 and
// add exactly a zero, so they are left out; only the sign of a zero result can differ.
inline double planeNoise(int32_t h1, int32_t h2, int32_t h3, int32_t h4, double xf, double yf) {
    const double x1 = xf - 1.0;
    const double y1 = yf - 1.0;
    const double fu = fade(xf);
    const double fv = fade(yf);
    const GradientTerms c1 = gradientTerms(h1, xf, yf, 0.0);
    const GradientTerms c3 = gradientTerms(h3, xf, y1, 0.0);
    const double g1 = c1.u + c1.v;
    const double l1 = lerpAlongX(gradientTerms(h2, x1, yf, 0.0), g1, fu);
    const double g3 = c3.u + c3.v;
    const GradientTerms c4 = gradientTerms(h4, x1, y1, 0.0);
    return (((c4.u - g3) + c4.v) * fu + (g3 - l1)) * fv + l1;
}

}  // namespace rm

namespace rm {

// Octaves of a plane noise: amplitudes halve and frequencies double, the sum taken from the
// first octave on.
template <typename PlaneSample>
double octaveSum(int32_t octaves, double x, double y, PlaneSample sample) {
    double sum = 0.0;
    double amplitude = 1.0;
    for (int32_t i = 0; i < octaves; ++i) {
        sum = sum + amplitude * sample(x, y);
        amplitude = amplitude * 0.5;
        x = x + x;
        y = y + y;
    }
    return sum;
}

}  // namespace rm
