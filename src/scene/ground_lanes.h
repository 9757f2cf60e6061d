#pragma once

// The ground field at one point per lane, written once for every set of lane operations (the map
// of the ground's files is in ground.h).
#include "math/vec3.h"
#include "noise/plane_noise_lanes.h"
#include "scene/ground.h"
#include "simd/lane_strategies.h"

namespace rm {

// The constants of the ground's lane arithmetic, taken as the noise's are (see
// PlaneNoiseConstants).
struct GroundConstants {
    PlaneNoiseConstants noise;
    float turnShift;  // 15
    float turnCosine;
    float scales[3];
    float lift;  // 14
    float rise;  // 1
    double amplitudes[3];
    double fineReach;      // kPlaneNoiseBound * amplitudes[2], exact: at most 0.2
    float countingHeight;  // -0.5, see the single lane's march
    float heightReach;     // 1.5
};

inline constexpr GroundConstants kGroundConstants{
    kPlaneNoiseConstants,
    15.0f,
    kGroundTurnCosine,
    {kGroundNoiseScales[0], kGroundNoiseScales[1], kGroundNoiseScales[2]},
    14.0f,
    1.0f,
    {kGroundNoiseAmplitudes[0], kGroundNoiseAmplitudes[1], kGroundNoiseAmplitudes[2]},
    kGroundNoiseAmplitudes[2] * kPlaneNoiseBound,
    -0.5f,
    1.5f};
// A power of two times the amplitude: the product is exact, the largest the finest term can be.
static_assert(kPlaneNoiseBound == 4.0 && kGroundConstants.fineReach <= 0.2000001);

// The three sample cells of a ground evaluation, looked up; groundFromCells finishes it.
template <class V>
struct GroundCellsLanes {
    PlaneCellLanes<V> cells[3];
};

// The point (x, z) turned into the plane of the noise, before the scale of each sample.
template <class V>
struct GroundTurnLanes {
    typename V::F x;
    typename V::F z;
};

template <class V>
__attribute__((always_inline)) inline GroundTurnLanes<V> groundTurnLanes(
    typename V::F x, typename V::F z, const GroundConstants& k = kGroundConstants) {
    const typename V::F a = V::subF(z, V::setF(k.turnShift));
    const typename V::F c = V::setF(k.turnCosine);
    return {V::subF(V::mulF(a, c), x), V::addF(V::mulF(x, c), a)};
}

// The sample points of the three cells, in the plane of the noise.
template <class V>
struct GroundSamplesLanes {
    typename V::D x[3];
    typename V::D y[3];
};

template <class V>
__attribute__((always_inline)) inline GroundSamplesLanes<V> groundSamplesLanes(
    typename V::F x, typename V::F z, const GroundConstants& k = kGroundConstants) {
    const GroundTurnLanes<V> turned = groundTurnLanes<V>(x, z, k);
    GroundSamplesLanes<V> out;
    for (int i = 0; i < 3; ++i) {
        const typename V::F s = V::setF(k.scales[i]);
        out.x[i] = V::widen(V::mulF(turned.z, s));
        out.y[i] = V::widen(V::mulF(turned.x, s));
    }
    return out;
}

template <class V>
__attribute__((always_inline)) inline GroundCellsLanes<V> groundCellsLanes(
    const PlaneHashes& hashes, typename V::F x, typename V::F z,
    const GroundConstants& c = kGroundConstants) {
    GroundCellsLanes<V> out;
    if constexpr (V::kCellsFromFloats) {
        // The samples are floats before they widen, so their cells are found in float lanes.
        const GroundTurnLanes<V> turned = groundTurnLanes<V>(x, z, c);
        for (int k = 0; k < 3; ++k) {
            const typename V::F s = V::setF(c.scales[k]);
            out.cells[k] =
                planeCellOfFloatsLanes<V>(hashes, V::mulF(turned.z, s), V::mulF(turned.x, s));
        }
    } else {
        const GroundSamplesLanes<V> p = groundSamplesLanes<V>(x, z, c);
        for (int k = 0; k < 3; ++k)
            out.cells[k] = planeCellLanes<V>(hashes, p.x[k], p.y[k]);
    }
    return out;
}

// The last cells of the kRemembered coarser ground samples of kCount lanes, kept from one pass of
// a march to the next (see kRememberedGroundCells in simd/lane_strategies.h).
template <int kCount, int kRemembered>
struct GroundCellMemory {
    // Lanes that remember no cell keep one unused slot.
    static constexpr int kSlots = kRemembered > 0 ? kRemembered : 1;
    alignas(64) double floorX[kSlots][kCount];
    alignas(64) double floorY[kSlots][kCount];
    alignas(64) int32_t corners[kSlots][kCount];

    void forget() {
        for (int k = 0; k < kRemembered; ++k) {
            for (int lane = 0; lane < kCount; ++lane) {
                floorX[k][lane] = __builtin_nan("");
                floorY[k][lane] = __builtin_nan("");
                corners[k][lane] = 0;
            }
        }
    }
};

// groundCellsLanes for the lanes from `first`, through their remembered cells.
template <class V, int kCount>
__attribute__((always_inline)) inline GroundCellsLanes<V> rememberedGroundCellsLanes(
    const PlaneHashes& hashes, typename V::F x, typename V::F z,
    GroundCellMemory<kCount, V::kRememberedGroundCells>& memory, int first,
    const GroundConstants& c = kGroundConstants) {
    const GroundSamplesLanes<V> p = groundSamplesLanes<V>(x, z, c);
    GroundCellsLanes<V> out;
#pragma GCC unroll 3
    for (int k = 0; k < V::kRememberedGroundCells; ++k) {
        out.cells[k] = rememberedPlaneCellLanes<V>(
            hashes, p.x[k], p.y[k],
            {memory.floorX[k] + first, memory.floorY[k] + first, memory.corners[k] + first},
            c.noise);
    }
    for (int k = V::kRememberedGroundCells; k < 3; ++k)
        out.cells[k] = planeCellLanes<V>(hashes, p.x[k], p.y[k]);
    return out;
}

// The height after the first kSamples samples; narrow after every term, as the scalar field does.
template <class V, int kSamples>
__attribute__((always_inline)) inline typename V::F groundHeightLanes(
    const GroundCellsLanes<V>& cells, typename V::F y, const GroundConstants& c) {
    typename V::F h = V::addF(y, V::setF(c.lift));
    auto add = [&](int k) __attribute__((always_inline)) {
        const typename V::D n = planeNoiseInCell<V>(cells.cells[k], c.noise);
        h = V::narrow(V::addD(V::widen(h), V::mulD(n, V::setD(c.amplitudes[k]))));
    };
    if constexpr (V::kMarch == MarchForm::SingleRay) {
        // A single ray's noise may be long enough that the compiler keeps the loop, and with it
        // the cells in memory.
#pragma GCC unroll 3
        for (int k = 0; k < kSamples; ++k)
            add(k);
    } else {
        for (int k = 0; k < kSamples; ++k)
            add(k);
    }
    return h;
}

template <class V>
__attribute__((always_inline)) inline typename V::F groundFromCells(
    const GroundCellsLanes<V>& cells, typename V::F y,
    const GroundConstants& c = kGroundConstants) {
    return V::addF(groundHeightLanes<V, 3>(cells, y, c), V::setF(c.rise));
}

// The ground from the height h after the two coarser samples and the finest sample's term, its
// noise times its amplitude, as groundFromCells adds them.
template <class V>
__attribute__((always_inline)) inline typename V::F groundAfterFine(typename V::F h,
                                                                    typename V::D term,
                                                                    const GroundConstants& c) {
    return V::addF(V::narrow(V::addD(V::widen(h), term)), V::setF(c.rise));
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
