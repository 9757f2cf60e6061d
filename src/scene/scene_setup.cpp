#include "scene/scene_setup.h"

#include "noise/noise_objects.h"
#include "noise/perlin_noise.h"

namespace rm {
namespace {

OctaveNoise skyNoiseObject;
PerlinNoise groundNoiseObject;
bool noiseBuilt = false;

}  // namespace

void buildScene() {
    if (!noiseBuilt) {
        skyNoiseObject = makeOctaveNoise(8, 0);
        groundNoiseObject = makePerlinNoise(0);
        noiseBuilt = true;
    }
    publishNoise(skyNoiseObject, groundNoiseObject);
}

}  // namespace rm
