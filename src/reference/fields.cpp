#include "reference/fields.h"

namespace rm::reference {

float sculptureDistance(Vec3 p) {
    NoObserver none;
    return sculptureDistance(none, formScene(none), p);
}

float groundDistance(const PerlinNoise& table, Vec3 p) {
    NoObserver none;
    return groundDistance(none, table, p);
}

float SceneFields::sculpture(Vec3 p) const { return reference::sculptureDistance(p); }

float SceneFields::ground(Vec3 p) const { return groundDistance(kGroundNoise, p); }

}  // namespace rm::reference
