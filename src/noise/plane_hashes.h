#pragma once

#include <stdint.h>

#include "noise/perlin_noise.h"

namespace rm {

// A corner gradient in the plane z = 0, from the low four bits h of the corner's hash (the only
// bits it depends on), as four bits that each make one choice: bit 3 set, u is the offset y, else
// x; bit 2 set, v is the other offset, else +0 (the z term); bits 0 and 1 negate u and v. This is
// h with bit 2 replaced: of the hash tests, v is y where bits 2 and 3 are clear and x where
// h & 13 is 12, and z otherwise.
constexpr uint32_t planeGradientCode(uint32_t h) {
    const bool vIsOther = (h & 12) == 0 || (h & 13) == 12;
    return (h & ~4u) | (vIsOther ? 4u : 0u);
}

// For the plane z = 0, the gradient codes of the four corners of every lattice cell (X, Y),
// packed in one 16-bit entry, corner (X, Y) lowest, then (X + 1, Y), (X, Y + 1), (X + 1, Y + 1):
// planeCornerCodes(hashes, X << 8 | Y), for X and Y from 0 to 255. The same gradients the noise
// finds through three table reads per corner.
#ifdef RAYMARCH_SMALL_MEMORY
// The small-memory build keeps the permutation in bytes and the gradient code of each of its
// entries, 1 KiB in all, and finds a cell's four codes with ten small reads; the whole table of
// entries would take 128 KiB.
struct PlaneHashes {
    uint8_t perm[512];
    uint8_t codes[512];  // planeGradientCode(perm[i] & 15)
};

// perm repeats after 256 entries, so X + 1 = 256 and Y + 1 = 256 read the corners of X = 0 and
// Y = 0 as the hash's masking does.
inline uint16_t planeCornerCodes(const PlaneHashes& hashes, int32_t cell) {
    const uint8_t* p = hashes.perm;
    const uint8_t* h = hashes.codes;
    const int32_t a = p[cell >> 8] + (cell & 255);
    const int32_t b = p[(cell >> 8) + 1] + (cell & 255);
    return static_cast<uint16_t>(h[p[a]] | h[p[b]] << 4 | h[p[a + 1]] << 8 | h[p[b + 1]] << 12);
}
#else
// One entry per cell, found with one small read. One spare entry at the end lets lanes read each
// entry as 32 bits.
struct PlaneHashes {
    uint16_t corners[256 * 256 + 1];
};

inline uint16_t planeCornerCodes(const PlaneHashes& hashes, int32_t cell) {
    return hashes.corners[cell];
}
#endif

// The four corner codes of cell (x, y) of a table, as planeCornerCodes gives them.
constexpr uint16_t planeCellCodes(const PerlinNoise& table, int32_t x, int32_t y) {
    const int32_t* p = table.perm;
    auto hash = [p](int32_t hx, int32_t hy) {
        return planeGradientCode(static_cast<uint32_t>(p[p[p[hx & 255] + (hy & 255)]] & 15));
    };
    return static_cast<uint16_t>(hash(x, y) | hash(x + 1, y) << 4 | hash(x, y + 1) << 8 |
                                 hash(x + 1, y + 1) << 12);
}

// The corner hashes of a table. The scene's own are built by the compiler (scene/scene_noise.h).
constexpr void buildPlaneHashes(const PerlinNoise& table, PlaneHashes& out) {
#ifdef RAYMARCH_SMALL_MEMORY
    for (int32_t i = 0; i < 512; ++i) {
        out.perm[i] = static_cast<uint8_t>(table.perm[i]);
        out.codes[i] =
            static_cast<uint8_t>(planeGradientCode(static_cast<uint32_t>(table.perm[i] & 15)));
    }
#else
    for (int32_t x = 0; x < 256; ++x) {
        for (int32_t y = 0; y < 256; ++y)
            out.corners[x * 256 + y] = planeCellCodes(table, x, y);
    }
    out.corners[256 * 256] = 0;
#endif
}

}  // namespace rm
