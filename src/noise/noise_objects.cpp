#include "noise/noise_objects.h"

namespace rm {

const OctaveNoise* skyNoise = nullptr;
const PerlinNoise* groundNoise = nullptr;

void publishNoise(const OctaveNoise& sky, const PerlinNoise& ground) {
    skyNoise = &sky;
    groundNoise = &ground;
}

}  // namespace rm
