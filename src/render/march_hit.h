#pragma once

#include <stdint.h>

namespace rm {

enum class Material : int32_t { None = 0, Sculpture = 1, Ground = 2 };

// What a march met and how far along the ray; a miss always carries 4000.
struct MarchHit {
    Material material;
    float distance;
};

}  // namespace rm
