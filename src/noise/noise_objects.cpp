#include "noise/noise_objects.h"

namespace rm {
namespace {

PlaneHashes skyHashTable;
PlaneHashes groundHashTable;

}  // namespace

const OctaveNoise* skyNoise = nullptr;
const PerlinNoise* groundNoise = nullptr;
const PlaneHashes* skyHashes = nullptr;
const PlaneHashes* groundHashes = nullptr;

void publishNoise(const OctaveNoise& sky, const PerlinNoise& ground) {
    buildPlaneHashes(sky.base, skyHashTable);
    buildPlaneHashes(ground, groundHashTable);
    skyNoise = &sky;
    groundNoise = &ground;
    skyHashes = &skyHashTable;
    groundHashes = &groundHashTable;
}

}  // namespace rm
