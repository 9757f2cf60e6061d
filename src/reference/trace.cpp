#include "reference/trace.h"

namespace rm::reference {

Vec3 trace(int depth, const Vec3& origin, Vec3 direction) {
    NoObserver none;
    return trace(none, ObservedFields<NoObserver>{formScene(none)}, depth, {origin, direction});
}

PixelBytes shadePrimary(Vec3 d) {
    NoObserver none;
    return shadePrimary(none, ObservedFields<NoObserver>{formScene(none)}, d);
}

PixelBytes shadePixel(int x, int y) {
    NoObserver none;
    return shadePixel(none, x, y);
}

}  // namespace rm::reference
