#pragma once

#include "math/vec3.h"

namespace rm {

struct Ray {
    Vec3 origin;
    Vec3 direction;
};

}  // namespace rm
