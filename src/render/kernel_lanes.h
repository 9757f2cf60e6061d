#pragma once

// The table of kernels of one instruction set, written once over its lane operations V
// (simd/lane_ops_*.h), on the choices V states (simd/lane_strategies.h).
#include "noise/octave_noise_lanes.h"
#include "render/kernel_table.h"
#include "render/march_lanes.h"
#include "scene/ground_lanes.h"
#include "scene/sculpture_distance.h"
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

    // A single ray: the nearest capsules, against its limit.
    struct NearestCapsules {
        __attribute__((always_inline)) static float at(const FramePointLanes<V>& q, float limit,
                                                       int) {
            return sculptureNearestLanes<V>(q, limit);
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
