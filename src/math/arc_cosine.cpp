#include "math/arc_cosine.h"

#include <math.h>

namespace rm {

float arcCosine(float x) { return acosf(x); }

}  // namespace rm
