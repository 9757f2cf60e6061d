#pragma once

// Gradient noise of the plane z = 0 at one point per lane, written once for every set of lane
// operations (see lane_ops_*.h). Each lane computes exactly what noisePlane computes.
#include "noise/plane_gradient_table.h"
#include "noise/plane_hashes.h"

namespace rm {

template <class V>
typename V::D fadeLanes(typename V::D t) {
    const typename V::D a =
        V::addD(V::mulD(V::subD(V::mulD(t, V::setD(6.0)), V::setD(15.0)), t), V::setD(10.0));
    return V::mulD(a, V::mulD(V::mulD(t, t), t));
}

template <class V>
struct GradientLanes {
    typename V::D u;
    typename V::D v;
};

// The components of one corner gradient, whose code (see planeGradientCode) stands at bit `at`
// of the codes.
template <class V>
__attribute__((always_inline)) inline GradientLanes<V> gradientLanes(typename V::L codes, int at,
                                                                     typename V::D x,
                                                                     typename V::D y) {
    const typename V::MD uIsY = V::bitSetL(codes, at + 3);
    const typename V::D u = V::selectD(uIsY, x, y);
    const typename V::D other = V::selectD(uIsY, y, x);
    const typename V::D v = V::keepIfBitD(other, codes, at + 2);
    return {V::flipSignD(u, codes, at), V::flipSignD(v, codes, at + 1)};
}

// A point's offsets in its lattice cell and the cell's corner gradient choices. Looking the
// corners up is the slow step, so it is separate: callers start the look-ups of all their points
// before they interpolate any.
template <class V>
struct PlaneCellLanes {
    typename V::D xf;
    typename V::D yf;
    typename V::I corners;
};

// The corner codes of the cells whose floors are fx, fy. An out-of-range or NaN floor truncates
// to 0x80000000, whose cell is 0, as in the scalar code.
template <class V>
__attribute__((always_inline)) inline typename V::I planeCornersLanes(const PlaneHashes& hashes,
                                                                      typename V::D fx,
                                                                      typename V::D fy) {
    const typename V::I cx = V::andI(V::truncate(fx), V::setI(255));
    const typename V::I cy = V::andI(V::truncate(fy), V::setI(255));
    return V::gather(hashes.corners, V::orI(V::shiftLeftI(cx, 8), cy));
}

template <class V>
__attribute__((always_inline)) inline PlaneCellLanes<V> planeCellLanes(const PlaneHashes& hashes,
                                                                       typename V::D x,
                                                                       typename V::D y) {
    const typename V::D fx = V::floorD(x);
    const typename V::D fy = V::floorD(y);
    return {V::subD(x, fx), V::subD(y, fy), planeCornersLanes<V>(hashes, fx, fy)};
}

// Each lane's last cell of one sample: its floors and corner codes, kept between calls. A cell
// whose floors are NaN matches no point.
struct PlaneCellMemory {
    double* floorX;
    double* floorY;
    int32_t* corners;
};

// planeCellLanes, reusing the remembered cells while every lane's point lies strictly inside its
// own. There floor(x) is the remembered floor, so x - floor(x) is the same subtraction; an
// integral point, where -0 and +0 floor differently, always looks its cell up again.
template <class V>
__attribute__((always_inline)) inline PlaneCellLanes<V> rememberedPlaneCellLanes(
    const PlaneHashes& hashes, typename V::D x, typename V::D y, const PlaneCellMemory& memory) {
    using D = typename V::D;
    D fx = V::loadD(memory.floorX);
    D fy = V::loadD(memory.floorY);
    const D one = V::setD(1.0);
    const int inside = V::bitsD(V::andMD(V::andMD(V::ltD(fx, x), V::ltD(x, V::addD(fx, one))),
                                         V::andMD(V::ltD(fy, y), V::ltD(y, V::addD(fy, one)))));
    if (inside == (1 << V::kWidth) - 1) {
        return {V::subD(x, fx), V::subD(y, fy), V::loadI(memory.corners)};
    }
    fx = V::floorD(x);
    fy = V::floorD(y);
    const typename V::I corners = planeCornersLanes<V>(hashes, fx, fy);
    V::storeD(memory.floorX, fx);
    V::storeD(memory.floorY, fy);
    V::storeI(memory.corners, corners);
    return {V::subD(x, fx), V::subD(y, fy), corners};
}

// The interpolation of a cell from u + v of corners (X, Y) and (X, Y + 1) and the components of
// the other two; the far value of each pair is never formed on its own.
template <class V>
__attribute__((always_inline)) inline typename V::D interpolateCell(
    typename V::D g1, const GradientLanes<V>& c2, typename V::D g3, const GradientLanes<V>& c4,
    typename V::D fu, typename V::D fv) {
    using D = typename V::D;
    const D l1 = V::addD(V::mulD(V::addD(V::subD(c2.u, g1), c2.v), fu), g1);
    const D far = V::addD(V::mulD(V::addD(V::subD(c4.u, g3), c4.v), fu), V::subD(g3, l1));
    return V::addD(V::mulD(far, fv), l1);
}

template <class V>
__attribute__((always_inline)) inline typename V::D planeNoiseInCell(
    const PlaneCellLanes<V>& cell) {
    using D = typename V::D;
    const D xf = cell.xf;
    const D yf = cell.yf;
    const D x1 = V::subD(xf, V::setD(1.0));
    const D y1 = V::subD(yf, V::setD(1.0));
    const D fu = fadeLanes<V>(xf);
    const D fv = fadeLanes<V>(yf);

    GradientLanes<V> c1, c2, c3, c4;
    if constexpr (requires(typename V::L h) { V::tableD(kPlaneGradientFactors.gX, h); }) {
        // Lanes that read a 16-entry table per lane form u + v of the near corners as sums of
        // products with the factors, instead of testing code bits.
        const typename V::L codes = V::widenI(cell.corners);
        const PlaneGradientFactors& f = kPlaneGradientFactors;
        auto sum = [&](int at, D x, D y) {
            const typename V::L h = V::shiftRightL(codes, at);
            return V::addD(V::mulD(x, V::tableD(f.gX, h)), V::mulD(y, V::tableD(f.gY, h)));
        };
        auto apart = [&](int at, D x, D y) {
            const typename V::L h = V::shiftRightL(codes, at);
            const D u = V::flipSignD(V::selectD(V::bitSetL(codes, at + 3), x, y), codes, at);
            return GradientLanes<V>{
                u, V::addD(V::mulD(x, V::tableD(f.vX, h)), V::mulD(y, V::tableD(f.vY, h)))};
        };
        const D g1 = sum(0, xf, yf);
        c2 = apart(4, x1, yf);
        const D g3 = sum(8, xf, y1);
        c4 = apart(12, x1, y1);
        return interpolateCell<V>(g1, c2, g3, c4, fu, fv);
    } else if constexpr (V::kWidth == 1) {
        // A single lane reads its gradients from tables instead of testing code bits, whose
        // choices follow random bits that no branch predictor can learn: u + v of the near corners
        // as sums of products with the factors, as above, and the far corners' components by
        // their choices.
        const PlaneGradientFactors& f = kPlaneGradientFactors;
        auto sum = [&](int k, D x, D y) {
            const int32_t h = cell.corners >> 4 * k & 15;
            return V::addD(V::mulD(x, f.gX[h]), V::mulD(y, f.gY[h]));
        };
        const double offsets[5] = {xf, x1, yf, y1, 0.0};
        auto apart = [&](int k) {
            const PlaneGradientChoice& c = kPlaneGradients.choices[k][cell.corners >> 4 * k & 15];
            return GradientLanes<V>{offsets[c.u] * c.uSign, offsets[c.v] * c.vSign};
        };
        return interpolateCell<V>(sum(0, xf, yf), apart(1), sum(2, xf, y1), apart(3), fu, fv);
    } else {
        const typename V::L codes = V::widenI(cell.corners);
        c1 = gradientLanes<V>(codes, 0, xf, yf);
        c2 = gradientLanes<V>(codes, 4, x1, yf);
        c3 = gradientLanes<V>(codes, 8, xf, y1);
        c4 = gradientLanes<V>(codes, 12, x1, y1);
    }
    return interpolateCell<V>(V::addD(c1.u, c1.v), c2, V::addD(c3.u, c3.v), c4, fu, fv);
}

template <class V>
__attribute__((always_inline)) inline typename V::D planeNoiseLanes(const PlaneHashes& hashes,
                                                                    typename V::D x,
                                                                    typename V::D y) {
    return planeNoiseInCell<V>(planeCellLanes<V>(hashes, x, y));
}

}  // namespace rm
