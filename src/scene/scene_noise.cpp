#include "scene/scene_noise.h"

namespace rm {
namespace {

constexpr PerlinNoise kSeedZero = makePerlinNoise(0);

#ifdef RAYMARCH_SMALL_MEMORY
constexpr PlaneHashes makeScenePlaneHashes() {
    PlaneHashes out{};
    buildPlaneHashes(kSeedZero, out);
    return out;
}
#else
// The table in parts of 16 rows of cells, each its own constant evaluation, so that each stays
// within the steps a compiler allows one (Clang: a million); buildPlaneHashes in one takes four.
constexpr int32_t kPartRows = 16;

struct PlaneHashPart {
    uint16_t corners[kPartRows * 256];
};

template <int32_t kPart>
constexpr PlaneHashPart makePart() {
    PlaneHashPart part{};
    for (int32_t i = 0; i < kPartRows; ++i) {
        for (int32_t y = 0; y < 256; ++y)
            part.corners[i * 256 + y] = planeCellCodes(kSeedZero, kPart * kPartRows + i, y);
    }
    return part;
}

template <int32_t kPart>
inline constexpr PlaneHashPart kPlaneHashPart = makePart<kPart>();

template <int32_t kPart = 0>
constexpr void copyParts(PlaneHashes& out) {
    if constexpr (kPart < 256 / kPartRows) {
        for (int32_t i = 0; i < kPartRows * 256; ++i)
            out.corners[kPart * kPartRows * 256 + i] = kPlaneHashPart<kPart>.corners[i];
        copyParts<kPart + 1>(out);
    }
}

constexpr PlaneHashes makeScenePlaneHashes() {
    PlaneHashes out{};
    copyParts(out);
    out.corners[256 * 256] = 0;
    return out;
}
#endif

}  // namespace

constinit const PerlinNoise kGroundNoise = kSeedZero;
constinit const OctaveNoise kSkyNoise{kSeedZero, 8};
constinit const PlaneHashes kScenePlaneHashes = makeScenePlaneHashes();

}  // namespace rm
