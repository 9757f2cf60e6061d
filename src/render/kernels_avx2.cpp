// The kernels with AVX2 lanes. Lane arithmetic is IEEE add, subtract, multiply and square
// root, each rounded like the scalar operation and never fused; selections are exact blends. So
// every value is bit for bit the plain one.
#include "render/kernel_lanes.h"
#include "simd/lane_ops_avx2.h"

namespace rm::avx2 {

extern const KernelTable kKernels;
const KernelTable kKernels = LaneKernels<LaneOpsAvx2>::table(SimdLevel::Avx2);

}  // namespace rm::avx2
