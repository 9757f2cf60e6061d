#pragma once

#include "math/vec3.h"

namespace rm {

// The eye: origin of every primary ray.
constexpr Vec3 kCameraOrigin = {0.0f, 5.0f, 150.0f};

// A pixel's bytes in file order.
struct PixelBytes {
    unsigned char blue;
    unsigned char green;
    unsigned char red;
};

// Shades the primary ray from the eye along the world direction d.
PixelBytes shadePrimary(Vec3 d);

}  // namespace rm
