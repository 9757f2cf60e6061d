#pragma once

#include "math/float_evaluation.h"

namespace rm {

// A point, a direction or a colour (x red, y green, z blue). Plain value, always 32-bit floats.
struct Vec3 {
    float x;
    float y;
    float z;
};

}  // namespace rm
