#pragma once

// The ground field at one point per lane, written once for every set of lane operations.
#include "math/vec3.h"
#include "noise/plane_noise_lanes.h"
#include "scene/ground_terms.h"

namespace rm {

// The three sample cells of a ground evaluation, looked up; groundFromCells finishes it.
template <class V>
struct GroundCellsLanes {
    PlaneCellLanes<V> cells[3];
};

template <class V>
__attribute__((always_inline)) inline GroundCellsLanes<V> groundCellsLanes(
    const PlaneHashes& hashes, typename V::F x, typename V::F z) {
    using F = typename V::F;
    const F a = V::subF(z, V::setF(15.0f));
    const F c = V::setF(kGroundTurnCosine);
    const F turnedX = V::subF(V::mulF(a, c), x);
    const F turnedZ = V::addF(V::mulF(x, c), a);
    GroundCellsLanes<V> out;
    for (int k = 0; k < 3; ++k) {
        const F s = V::setF(kGroundNoiseScales[k]);
        out.cells[k] =
            planeCellLanes<V>(hashes, V::widen(V::mulF(turnedZ, s)), V::widen(V::mulF(turnedX, s)));
    }
    return out;
}

template <class V>
__attribute__((always_inline)) inline typename V::F groundFromCells(
    const GroundCellsLanes<V>& cells, typename V::F y) {
    using F = typename V::F;
    // Narrow after every term, as the scalar field does.
    F h = V::addF(y, V::setF(14.0f));
    for (int k = 0; k < 3; ++k) {
        const typename V::D n = planeNoiseInCell<V>(cells.cells[k]);
        h = V::narrow(V::addD(V::widen(h), V::mulD(n, V::setD(kGroundNoiseAmplitudes[k]))));
    }
    return V::addF(h, V::setF(1.0f));
}

// groundDistance at many points, a register of lanes at a time; the last register is filled up
// with copies of the last point.
template <class V>
void groundDistanceManyLanes(const PlaneHashes& hashes, const Vec3* points, int count, float* out) {
    constexpr int kWidth = V::kWidth;
    for (int first = 0; first < count; first += kWidth) {
        alignas(64) float x[kWidth];
        alignas(64) float y[kWidth];
        alignas(64) float z[kWidth];
        alignas(64) float g[kWidth];
        for (int lane = 0; lane < kWidth; ++lane) {
            const Vec3& p = points[first + lane < count ? first + lane : count - 1];
            x[lane] = p.x;
            y[lane] = p.y;
            z[lane] = p.z;
        }
        V::storeF(g, groundFromCells<V>(groundCellsLanes<V>(hashes, V::loadF(x), V::loadF(z)),
                                        V::loadF(y)));
        for (int lane = 0; lane < kWidth && first + lane < count; ++lane)
            out[first + lane] = g[lane];
    }
}

}  // namespace rm
