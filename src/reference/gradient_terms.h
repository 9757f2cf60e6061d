#pragma once

#include <stdint.h>

#include "math/float_evaluation.h"
#include "reference/traced.h"

namespace rm::reference {

// Building blocks of the gradient noise, on plain doubles or on a recorder's.

template <typename D>
D fade(D t) {
    return ((t * 6.0 - 15.0) * t + 10.0) * ((t * t) * t);
}

// The lattice cell of a floored coordinate; the lattice repeats every 256 cells. Floors outside
// the 32-bit range never occur in the scene and map to cell 0.
inline int32_t cellIndex(double floored) {
    if (!(floored >= -2147483648.0 && floored < 2147483648.0)) return 0;
    return static_cast<int32_t>(floored) & 255;
}

template <typename R>
Traced<R, int32_t> cellIndex(Traced<R, double> floored) {
    return truncated(floored, [](double f) { return cellIndex(f); });
}

// The two components of a corner gradient, before they are added: only the low four bits of h
// choose them.
template <typename D>
struct GradientTermsOf {
    D u;
    D v;
};
using GradientTerms = GradientTermsOf<double>;

template <typename D>
GradientTermsOf<D> gradientTerms(int32_t h, D x, D y, D z) {
    D u = (h & 8) ? y : x;
    D v = (h & 12) == 0 ? y : ((h & 13) == 12 ? x : z);
    if (h & 1) u = -u;
    if (h & 2) v = -v;
    return {u, v};
}

// Lerp from a toward the far corner of an x pair, whose value is never formed on its own:
// ((U - a) + V) * t + a.
template <typename D>
D lerpAlongX(GradientTermsOf<D> far, D a, D t) {
    return ((far.u - a) + far.v) * t + a;
}

}  // namespace rm::reference
