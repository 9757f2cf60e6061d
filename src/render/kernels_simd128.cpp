// The kernels with WebAssembly's 128-bit SIMD lanes: IEEE arithmetic lane by lane, never fused,
// and exact selections, so every value is bit for bit the plain one.
#include "render/kernel_lanes.h"
#include "simd/lane_ops_simd128.h"

namespace rm::simd128 {

extern const KernelTable kKernels;
const KernelTable kKernels = LaneKernels<LaneOpsWasm>::table(SimdLevel::Simd128);

}  // namespace rm::simd128
