#pragma once

namespace rm {

// Arc cosine in single precision.
float arcCosine(float x);

}  // namespace rm
