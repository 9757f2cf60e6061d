// The kernels with AVX-512 lanes. Lane arithmetic is IEEE add, subtract, multiply and square
// root, each rounded like the scalar operation and never fused; selections are exact blends. So
// every value is bit for bit the plain one.
#include "render/kernel_lanes.h"
#include "simd/lane_ops_avx512.h"

namespace rm::avx512 {

extern const KernelTable kKernels;
const KernelTable kKernels = LaneKernels<LaneOpsAvx512>::table(SimdLevel::Avx512);

}  // namespace rm::avx512
