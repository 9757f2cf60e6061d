// The kernels with AArch64 Advanced SIMD lanes: IEEE arithmetic lane by lane, never fused, and
// exact selections, so every value is bit for bit the plain one.
#include "render/kernel_lanes.h"
#include "simd/lane_ops_neon.h"

namespace rm::neon {

extern const KernelTable kKernels;
const KernelTable kKernels = LaneKernels<LaneOpsNeon>::table(SimdLevel::Neon);

}  // namespace rm::neon
