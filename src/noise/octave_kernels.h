#pragma once

#include <stdint.h>

#include "noise/plane_hashes.h"

#if defined(RAYMARCH_HAVE_X86_KERNELS)
// octaveNoisePlane with the octaves as AVX2 lanes, and as AVX-512 lanes.
namespace rm::avx2 {
double octaveNoisePlane(const PlaneHashes& hashes, int32_t octaves, double x, double y);
}
namespace rm::avx512 {
double octaveNoisePlane(const PlaneHashes& hashes, int32_t octaves, double x, double y);
}
#endif
