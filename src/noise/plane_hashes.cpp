#include "noise/plane_hashes.h"

namespace rm {

#ifdef RAYMARCH_SMALL_MEMORY
void buildPlaneHashes(const PerlinNoise& table, PlaneHashes& out) {
    for (int32_t i = 0; i < 512; ++i) {
        out.perm[i] = static_cast<uint8_t>(table.perm[i]);
        out.codes[i] =
            static_cast<uint8_t>(planeGradientCode(static_cast<uint32_t>(table.perm[i] & 15)));
    }
}
#else
void buildPlaneHashes(const PerlinNoise& table, PlaneHashes& out) {
    const int32_t* p = table.perm;
    auto hash = [p](int32_t x, int32_t y) {
        return planeGradientCode(static_cast<uint32_t>(p[p[p[x & 255] + (y & 255)]] & 15));
    };
    for (int32_t x = 0; x < 256; ++x) {
        for (int32_t y = 0; y < 256; ++y) {
            out.corners[x * 256 + y] = static_cast<uint16_t>(
                hash(x, y) | hash(x + 1, y) << 4 | hash(x, y + 1) << 8 | hash(x + 1, y + 1) << 12);
        }
    }
    out.corners[256 * 256] = 0;
}
#endif

}  // namespace rm
