#include "noise/plane_hashes.h"

#include "math/simd_level.h"
#include "noise/gradient_terms.h"
#include "noise/octave_kernels.h"
#include "noise/plane_gradient_table.h"

namespace rm {

void buildPlaneHashes(const PerlinNoise& table, PlaneHashes& out) {
    const int32_t* p = table.perm;
    auto hash = [p](int32_t x, int32_t y) {
        return static_cast<uint32_t>(p[p[p[x & 255] + (y & 255)]] & 15);
    };
    for (int32_t x = 0; x < 256; ++x) {
        for (int32_t y = 0; y < 256; ++y) {
            out.corners[x * 256 + y] = static_cast<uint16_t>(
                hash(x, y) | hash(x + 1, y) << 4 | hash(x, y + 1) << 8 | hash(x + 1, y + 1) << 12);
        }
    }
    out.corners[256 * 256] = 0;
}

double noisePlane(const PlaneHashes& hashes, double x, double y) {
    const PlaneCell cell = planeCell(x, y);
    return planeNoiseFromCorners(hashes.corners[cell.x * 256 + cell.y], cell.xf, cell.yf);
}

double octaveNoisePlane(const PlaneHashes& hashes, int32_t octaves, double x, double y) {
#if defined(RAYMARCH_HAVE_X86_KERNELS)
    switch (simdLevel()) {
        case SimdLevel::Avx512:
            return octaveNoisePlaneAvx512(hashes, octaves, x, y);
        case SimdLevel::Avx2:
            return octaveNoisePlaneAvx2(hashes, octaves, x, y);
        case SimdLevel::Scalar:
            break;
    }
#endif
    return octaveSum(octaves, x, y,
                     [&](double px, double py) { return noisePlane(hashes, px, py); });
}

}  // namespace rm
