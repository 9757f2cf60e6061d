#pragma once

// The kernels of one instruction set as one table. The program chooses one at start
// (chooseKernels) and hands it to everything that calls a kernel. Each instruction set compiles its
// table from one source, src/render/kernels_<set>.cpp, in its own namespace; every table gives the
// same bits.
#include <stdint.h>

#include "math/vec3.h"
#include "noise/plane_hashes.h"
#include "render/march_hit.h"
#include "render/ray.h"
#include "simd/simd_level.h"

namespace rm {

struct KernelTable {
    SimdLevel level;
    // Marches many independent rays through the scene whose ground has the corner hashes
    // `ground`: hits[i] is exactly the plain march of rays[i], both fields evaluated in every
    // pass. Working on several rays at once lets their passes overlap.
    void (*marchRays)(const PlaneHashes& ground, const Ray* rays, int count, MarchHit* hits);
    // The height of each of `count` world points above the terrain of the corner hashes `ground`,
    // measured along y, into out[i].
    void (*groundDistanceMany)(const PlaneHashes& ground, const Vec3* points, int count,
                               float* out);
    // octaveNoisePlane on the corner hashes of a table.
    double (*octaveNoisePlane)(const PlaneHashes& hashes, int32_t octaves, double x, double y);
};

// The plain kernels, which every build has and every processor runs.
extern const KernelTable kPlainKernels;

// The kernels of `level`, or the plain ones where this build or the processor lacks it: the
// table's own level says which.
const KernelTable& chooseKernels(SimdLevel level);

}  // namespace rm
