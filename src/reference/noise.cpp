#include "reference/noise.h"

namespace rm::reference {

double noise(const PerlinNoise& table, double x, double y, double z) {
    NoObserver none;
    return noise(none, table, x, y, z);
}

double octaveNoise(const OctaveNoise& table, double x, double y, double z) {
    NoObserver none;
    return octaveNoise(none, table, x, y, z);
}

}  // namespace rm::reference
