#pragma once

#include "math/vec3.h"
#include "noise/plane_hashes.h"

namespace rm {

// The distance fields with AVX2 and AVX-512: the same bits as the scalar code, chosen at run
// time.
#if defined(RAYMARCH_HAVE_X86_KERNELS)
float groundDistanceAvx2(const PlaneHashes& hashes, Vec3 p);
void groundDistanceManyAvx2(const PlaneHashes& hashes, const Vec3* points, int count, float* out);
void groundDistanceManyAvx512(const PlaneHashes& hashes, const Vec3* points, int count, float* out);
float sculptureDistanceInFrameAvx2(Vec3 q);
float sculptureDistanceInFrameAvx512(Vec3 q);
#endif

}  // namespace rm
