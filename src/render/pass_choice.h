#pragma once

#include "render/march_hit.h"

namespace rm {

// The nearer admissible surface of one march pass, and its distance.
struct PassChoice {
    float distance;
    Material material;
};

}  // namespace rm
