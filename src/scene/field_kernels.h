#pragma once

#include "math/vec3.h"
#include "noise/plane_hashes.h"

// The distance fields with AVX2 and AVX-512 lanes: the same bits as the plain code, chosen at run
// time. Each instruction set's code lives in its own namespace, so that nothing compiled for it
// can stand in for code that every processor runs.
#if defined(RAYMARCH_HAVE_X86_KERNELS)
namespace rm::avx2 {
void groundDistanceMany(const PlaneHashes& hashes, const Vec3* points, int count, float* out);
float sculptureDistanceInFrame(Vec3 q);
}  // namespace rm::avx2
namespace rm::avx512 {
void groundDistanceMany(const PlaneHashes& hashes, const Vec3* points, int count, float* out);
float sculptureDistanceInFrame(Vec3 q);
}  // namespace rm::avx512
#endif
