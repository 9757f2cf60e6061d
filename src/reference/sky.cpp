#include "reference/sky.h"

namespace rm::reference {

Vec3 skyColor(const OctaveNoise& clouds, Vec3 origin, Vec3 direction) {
    NoObserver none;
    return skyColor(none, clouds, origin, direction);
}

}  // namespace rm::reference
