#pragma once

// The march of many rays at once, one ray per lane, written once for every set of lane operations
// (see simd/lane_ops_*.h). Each lane takes exactly the passes of the scalar march of its own ray:
// the same points, field values, choices and steps. A lane whose ray ends takes the next ray at
// once.
#include "render/march_constants.h"
#include "render/march_hit.h"
#include "render/ray.h"
#include "scene/far_limit.h"
#include "scene/ground_lanes.h"
#include "scene/sculpture.h"
#include "scene/sculpture_bound.h"
#include "simd/lane_ops_scalar.h"

namespace rm {

// The constants of a march's lane arithmetic (see PlaneNoiseConstants); its zero and far limit
// are those of the world-point test.
struct MarchConstants {
    GroundConstants ground;
    WorldBoundConstants bound;
    float hitThreshold;
    double stepScale;
};

inline constexpr MarchConstants kMarchConstants{kGroundConstants, kWorldBoundConstants,
                                                kHitThreshold, kStepScale};

// kMarchConstants behind a pointer that the compiler must read, and so cannot see through.
inline const MarchConstants* const volatile kMarchConstantsUnseen = &kMarchConstants;

// Several independent groups of lanes keep the processor busy while one waits on its results.
template <class V>
struct MarchLanes {
    static constexpr int kCount = V::kWidth * V::kGroups;
    alignas(64) float ox[kCount];
    alignas(64) float oy[kCount];
    alignas(64) float oz[kCount];
    alignas(64) float dx[kCount];
    alignas(64) float dy[kCount];
    alignas(64) float dz[kCount];
    alignas(64) float t[kCount];
    alignas(64) int32_t passes[kCount];
    int ray[kCount];  // -1: the lane idles on a copy of its last ray
    MarchHit result[kCount];
    GroundCellMemory<kCount, V::kRememberedGroundCells> cells;
    // A single lane's lower bound of its distance from the sculpture's world centre, as `clear`
    // less the ray's time; `clearSlack`, taken off each new bound, is infinite for a ray beyond
    // the bounds that the slack allows for (see beyondWorldSingle).
    float clear[kCount];
    float clearSlack[kCount];

    void start(int lane, const Ray& r, int index) {
        ox[lane] = r.origin.x;
        oy[lane] = r.origin.y;
        oz[lane] = r.origin.z;
        dx[lane] = r.direction.x;
        dy[lane] = r.direction.y;
        dz[lane] = r.direction.z;
        t[lane] = 0.0f;
        passes[lane] = 0;
        ray[lane] = index;
        if constexpr (V::kMarch == MarchForm::SingleRay) {
            clear[lane] = -__builtin_inff();
            clearSlack[lane] = clearBoundSlack(r.origin, r.direction);
        }
    }
};

// The start of a pass of the lanes from `first`: the points and their ground cells, looked up.
template <class V>
struct PassStart {
    typename V::F t;
    typename V::F px;
    typename V::F py;
    typename V::F pz;
    GroundCellsLanes<V> ground;
};

template <class V>
__attribute__((always_inline)) inline PassStart<V> startPassLanes(MarchLanes<V>& l,
                                                                  const PlaneHashes& hashes,
                                                                  int first,
                                                                  const MarchConstants& k) {
    using F = typename V::F;
    const F t = V::loadF(l.t + first);
    const F px = V::addF(V::mulF(V::loadF(l.dx + first), t), V::loadF(l.ox + first));
    const F py = V::addF(V::mulF(V::loadF(l.dy + first), t), V::loadF(l.oy + first));
    const F pz = V::addF(V::mulF(V::loadF(l.dz + first), t), V::loadF(l.oz + first));
    // Across several lanes some lane leaves its cell in most passes, so a test for a remembered
    // cell costs more than the look-up it saves: such lanes remember none.
    if constexpr (V::kRememberedGroundCells > 0) {
        return {t, px, py, pz,
                rememberedGroundCellsLanes<V>(hashes, px, pz, l.cells, first, k.ground)};
    } else {
        return {t, px, py, pz, groundCellsLanes<V>(hashes, px, pz, k.ground)};
    }
}

// The end of a pass whose choice is made: the step, and the lanes whose march ended, with their
// results in l.result.
template <class V>
__attribute__((always_inline)) inline int endPassLanes(MarchLanes<V>& l, typename V::F t,
                                                       typename V::F chosen, typename V::I material,
                                                       int first, int live,
                                                       const MarchConstants& k) {
    using F = typename V::F;
    constexpr int kWidth = V::kWidth;
    const typename V::MF hitLanes = V::ltF(chosen, V::setF(k.hitThreshold));

    // Step in 64 bits and round once.
    const F stepped =
        V::narrow(V::addD(V::mulD(V::widen(chosen), V::setD(k.stepScale)), V::widen(t)));
    const typename V::MF beyondLanes = V::geF(stepped, V::setF(k.bound.far));
    V::storeF(l.t + first, stepped);
    const typename V::I passes = V::addI(V::loadI(l.passes + first), V::setI(1));
    V::storeI(l.passes + first, passes);
    int done;
    if constexpr (V::kJoinsConditions) {
        // One extraction of lane bits for the three ends together.
        done = V::bitsF(
            V::orMF(V::orMF(hitLanes, beyondLanes), V::equalI(passes, V::setI(kMarchMaxSteps))));
    } else {
        done = V::bitsF(hitLanes) | V::bitsF(beyondLanes) |
               V::equalBitsI(passes, V::setI(kMarchMaxSteps));
    }
    done &= live;
    if (done == 0) return 0;
    const int hit = V::bitsF(hitLanes);

    alignas(64) int32_t materials[kWidth];
    alignas(64) float before[kWidth];
    V::storeI(materials, material);
    V::storeF(before, t);
    for (int lane = 0; lane < kWidth; ++lane) {
        if (!(done >> lane & 1)) continue;
        l.result[first + lane] =
            (hit >> lane & 1) ? MarchHit{static_cast<Material>(materials[lane]), before[lane]}
                              : MarchHit{Material::None, kFarLimit};
    }
    return done;
}

// The world-point test of a single lane with the reach of its limit (see worldReachOfLimit), from
// the bound its ray's last test left where that suffices.
template <class V>
__attribute__((always_inline)) inline bool beyondWorldSingle(MarchLanes<V>& l, int first,
                                                             const PassStart<V>& start, float reach,
                                                             const WorldBoundConstants& b) {
    return worldPointBeyondClear(l.clear[first], l.clearSlack[first], start, reach, b);
}

// The rest of the pass of a single lane, from the height h after the two coarser ground samples.
// The finest sample moves the ground little: where h shows that the ground counts, the sculpture
// is needed only below a bound taken from h, and where the sculpture is nearer than the lowest
// ground the finest sample can give, the ground cannot be chosen and that sample is left out (in
// one pass of 8). Elsewhere the pass takes g first and chooses as the plain one does.
template <class V, class Sculpture>
__attribute__((always_inline)) inline int finishPassSingle(MarchLanes<V>& l,
                                                           const PassStart<V>& start, int first,
                                                           int liveLanes, const MarchConstants& k) {
    const GroundConstants& c = k.ground;
    const float far = k.bound.far;
    const float zero = k.bound.zero;
    const float h = groundHeightLanes<V, 2>(start.ground, start.py, c);
    auto ground = [&]() __attribute__((always_inline)) {
        return groundAfterFine<V>(
            h, planeNoiseInCell<V>(start.ground.cells[2], c.noise) * c.amplitudes[2], c);
    };
    // The finest term moves the 64-bit sum h + term by at most fineReach, 0.2, so the sum narrows
    // to h or to a float next to it, at most 0.41 away where it reaches one. Every rounding keeps
    // order, so g lies between the rounded sums for the terms -0.2 and 0.2 plus 1: above 0.29 where
    // h is above countingHeight, -0.5, and at most h + heightReach, h + 1.5, rounded.
    const bool counts = h > c.countingHeight;
    float g = zero;
    float limit;
    if (counts) {
        const float above = h + c.heightReach;
        limit = above < far ? above : far;
    } else {
        g = ground();
        limit = g > zero && g < far ? g : far;
    }

    float s = far;
    if (!beyondWorldSingle<V>(l, first, start, worldReachOfLimit(limit, k.bound), k.bound)) {
        s = Sculpture::at(sculptureFramePointLanes<V>(start.px, start.py, start.pz), limit, 1);
    }
    const bool sWins = s < far;
    float chosen = sWins ? s : far;
    int32_t material = sWins ? 1 : 0;
    // A ground left at zero does not count.
    if (counts && !(sWins && groundAfterFine<V>(h, -c.fineReach, c) >= s)) g = ground();
    if (g > zero && g < chosen) {
        chosen = g;
        material = 2;
    }
    return endPassLanes<V>(l, start.t, chosen, material, first, liveLanes >> first & 1, k);
}

// The rest of the pass; returns the lanes whose march ended, with their results in l.result.
template <class V, class Sculpture>
__attribute__((always_inline)) inline int finishPassLanes(MarchLanes<V>& l,
                                                          const PassStart<V>& start, int first,
                                                          int liveLanes, const MarchConstants& k) {
    using F = typename V::F;
    if constexpr (V::kMarch == MarchForm::SingleRay && V::kSkipsFineGround) {
        return finishPassSingle<V, Sculpture>(l, start, first, liveLanes, k);
    } else {
        const int live = liveLanes >> first & ((1 << V::kWidth) - 1);
        const F far = V::setF(k.bound.far);
        const F zero = V::setF(k.bound.zero);
        const F px = start.px;
        const F py = start.py;
        const F pz = start.pz;
        const F g = groundFromCells<V>(start.ground, py, k.ground);

        // The sculpture is evaluated only where its lower bound cannot rule it out: exact where it
        // is at most the counting ground, or the far limit. The world points are tested first,
        // which rules most passes out without turning the points into the frame; several lanes
        // need all their live lanes ruled out.
        F s = far;
        bool farFromSculpture = false;
        if constexpr (V::kMarch == MarchForm::SingleRay)
            farFromSculpture =
                beyondWorldSingle<V>(l, first, start, worldReach(g, k.bound), k.bound);
        else
            farFromSculpture = (live & ~sculptureBeyondWorldLanes<V>(px, py, pz, g, k.bound)) == 0;
        if (!farFromSculpture) {
            const FramePointLanes<V> q = sculptureFramePointLanes<V>(px, py, pz);
            const F limit = V::selectF(V::andMF(V::gtF(g, zero), V::ltF(g, far)), far, g);
            if constexpr (V::kMarch == MarchForm::SingleRay) {
                s = Sculpture::at(q, limit, live);
            } else {
                const int need = sculptureNeededLanes<V>(q.x, q.y, q.z, g) & live;
                if (need != 0) s = Sculpture::at(q, limit, need);
            }
        }

        // Choose as the scalar pass does: the sculpture below the far limit, then a strictly
        // positive ground that is nearer still.
        const typename V::MF sWins = V::ltF(s, far);
        F chosen = V::selectF(sWins, far, s);
        typename V::I material = V::selectI(sWins, V::setI(0), V::setI(1));
        const typename V::MF gWins = V::andMF(V::gtF(g, zero), V::ltF(g, chosen));
        chosen = V::selectF(gWins, chosen, g);
        material = V::selectI(gWins, material, V::setI(2));
        return endPassLanes<V>(l, start.t, chosen, material, first, live, k);
    }
}

// Sculpture::at(q, limit, need) is the sculpture at the frame points of the lanes in `need`:
// exact in each such lane wherever it is at most that lane's limit, above the limit elsewhere. A
// single lane's takes the limit's bounds itself, and may give the far limit where the sculpture
// lies beyond the limit; several lanes are asked only where the bound of the segments' box
// cannot rule the sculpture out.
template <class V, class Sculpture>
void marchRaysLanes(const PlaneHashes& hashes, const Ray* rays, int count, MarchHit* hits) {
    if (count <= 0) return;
    const MarchConstants& k = V::kConstantsInCode ? kMarchConstants : *kMarchConstantsUnseen;
    MarchLanes<V> l;
    if constexpr (V::kRememberedGroundCells > 0) l.cells.forget();
    constexpr int kCount = MarchLanes<V>::kCount;
    int next = 0;
    uint32_t live = 0;  // one bit per lane with a ray
    for (int lane = 0; lane < kCount; ++lane) {
        if (next < count) {
            l.start(lane, rays[next], next);
            ++next;
            live |= 1u << lane;
        } else {
            l.start(lane, rays[0], -1);
        }
    }

    while (live != 0) {
        // All groups look their ground cells up before any interpolates, so the look-ups
        // overlap.
        PassStart<V> starts[V::kGroups];
        for (int group = 0; group < V::kGroups; ++group) {
            starts[group] = startPassLanes<V>(l, hashes, group * V::kWidth, k);
        }
        uint32_t done = 0;
        for (int group = 0; group < V::kGroups; ++group) {
            const int first = group * V::kWidth;
            done |= static_cast<uint32_t>(finishPassLanes<V, Sculpture>(l, starts[group], first,
                                                                        static_cast<int>(live), k))
                    << first;
        }
        if (done == 0) continue;

        // Record the rays that ended and start the next ones in their lanes.
        for (int lane = 0; lane < kCount; ++lane) {
            if (!(done >> lane & 1)) continue;
            hits[l.ray[lane]] = l.result[lane];
            if (next < count) {
                l.start(lane, rays[next], next);
                ++next;
            } else {
                l.ray[lane] = -1;
                live &= ~(1u << lane);
            }
        }
    }
}

}  // namespace rm
