#pragma once

#include <stdint.h>

#include "noise/plane_hashes.h"

namespace rm {

#if defined(RAYMARCH_HAVE_X86_KERNELS)
// octaveNoisePlane with the octaves as AVX2 lanes, and as AVX-512 lanes.
double octaveNoisePlaneAvx2(const PlaneHashes& hashes, int32_t octaves, double x, double y);
double octaveNoisePlaneAvx512(const PlaneHashes& hashes, int32_t octaves, double x, double y);
#endif

}  // namespace rm
