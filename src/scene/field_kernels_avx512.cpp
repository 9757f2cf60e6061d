// The sculpture with AVX-512 lanes: every value bit for bit the scalar one.
#include "scene/field_kernels.h"
#include "simd/capsule_lanes.h"
#include "simd/wide_avx512.h"

namespace rm {

float sculptureDistanceInFrameAvx512(Vec3 q) {
    return sculptureDistanceCapsuleLanes<WideAvx512>(q);
}

}  // namespace rm
