#pragma once

// The table of kernels of one instruction set, written once over its lane operations V
// (simd/lane_ops_*.h), on the choices V states (simd/lane_strategies.h).
#include "noise/octave_noise_lanes.h"
#include "render/kernel_table.h"
#include "render/march_lanes.h"
#include "scene/ground_lanes.h"
#include "scene/sculpture_bound.h"
#include "scene/sculpture_lanes.h"
#include "scene/sculpture_within.h"
#include "simd/lane_ops_scalar.h"

namespace rm {

template <class V>
struct LaneKernels {
    // One ray per lane: the candidate capsules of the lanes, a point per lane.
    struct CandidateCapsules {
        static typename V::F at(const FramePointLanes<V>& q, typename V::F, int need) {
            return sculptureInFrameLanes<V>(q, need);
        }
    };

    // A single ray: in the grid around the sculpture, nothing where the cell's lower bound lies
    // beyond the limit, else the candidate capsules of the cell; beyond the grid, nothing where the
    // bound of the segments' box rules it out, else one capsule at a time, only those a bound
    // cannot rule out against the limit. "Nothing" is the far limit.
    struct NearestCapsules {
        __attribute__((always_inline)) static float at(const FramePointLanes<V>& q, float limit,
                                                       int) {
            const SculptureCellLanes<V> cells = sculptureCellLanes<V>(q.x, q.y, q.z);
            if (cells.outside == 0) {
                const int32_t index = cells.index & (kCellCount - 1);
                if (kSculptureCells.nearest[index] > limit) return kFarLimit;
                return sculptureOfCandidatesLanes<V>(q, kSculptureCells.candidates[index], 1);
            }
            if (sculptureNeededLanes<V>(q.x, q.y, q.z, limit) == 0) return kFarLimit;
            return sculptureDistanceWithin({q.x, q.y, q.z}, limit);
        }
    };

    static void marchRays(const PlaneHashes& ground, const Ray* rays, int count, MarchHit* hits) {
        if constexpr (V::kMarch == MarchForm::SingleRay) {
            marchRaysLanes<V, NearestCapsules>(ground, rays, count, hits);
        } else {
            marchRaysLanes<V, CandidateCapsules>(ground, rays, count, hits);
        }
    }

    static void groundDistanceMany(const PlaneHashes& ground, const Vec3* points, int count,
                                   float* out) {
        groundDistanceManyLanes<V>(ground, points, count, out);
    }

    static double octaveNoisePlane(const PlaneHashes& hashes, int32_t octaves, double x, double y) {
        return octaveNoisePlaneLanes<V>(hashes, octaves, x, y);
    }

    static constexpr KernelTable table(SimdLevel level) {
        return {level, &marchRays, &groundDistanceMany, &octaveNoisePlane};
    }
};

}  // namespace rm
