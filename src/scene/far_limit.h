#pragma once

namespace rm {

// The march's far limit and the cap of every distance-field sample.
constexpr float kFarLimit = 4000.0f;

}  // namespace rm
