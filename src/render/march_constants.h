#pragma once

namespace rm {

// A march takes at most this many passes, stops below the hit threshold and steps by half the
// chosen distance.
constexpr int kMarchMaxSteps = 4096;
constexpr float kHitThreshold = 0.001f;  // 0x3a83126f
constexpr double kStepScale = 0.5;

}  // namespace rm
