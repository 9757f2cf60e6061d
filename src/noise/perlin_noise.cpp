#include "noise/perlin_noise.h"

#include "noise/mersenne_twister.h"

namespace rm {

PerlinNoise makePerlinNoise(uint32_t seed) {
    MersenneTwister engine = seedMersenneTwister(seed == 0 ? kDefaultNoiseSeed : seed);
    PerlinNoise table;
    for (int32_t i = 0; i < 256; ++i)
        table.perm[i] = i;
    shuffle(table.perm, 256, engine);
    // The builtin, so that the freestanding build needs no <string.h>.
    __builtin_memmove(table.perm + 256, table.perm, 256 * sizeof(int32_t));
    return table;
}

OctaveNoise makeOctaveNoise(int32_t octaves, uint32_t seed) {
    OctaveNoise table;
    table.base = makePerlinNoise(seed);
    table.octaves = octaves;
    return table;
}

}  // namespace rm
