#pragma once

#include "math/float_evaluation.h"
#include "math/square_root.h"

namespace rm {

// Two exact floors of a double, the sign of a zero included, for processors without a rounding
// instruction: from the truncating conversion, and from the rounding of an addition (2^52 + |v| is
// |v| rounded to the nearest integer when |v| < 2^52).
inline double floorByTruncation(double v) {
    if (!(__builtin_fabs(v) < 0x1p52)) return v;  // integral already, infinite or NaN
    const double truncated = static_cast<double>(static_cast<long long>(v));
    return __builtin_copysign(truncated - (truncated > v ? 1.0 : 0.0), v);
}

inline double floorByRounding(double v) {
    const double magnitude = __builtin_fabs(v);
    if (!(magnitude < 0x1p52)) return v;  // integral already, infinite or NaN
    const double nearest = (magnitude + 0x1p52) - 0x1p52;
    const double down = v >= 0.0 ? (nearest > magnitude ? nearest - 1.0 : nearest)
                                 : -(nearest < magnitude ? nearest + 1.0 : nearest);
    return __builtin_copysign(down, v);
}

// How floorD forms the floor on this target. Where the processor has a rounding instruction the
// builtin is that instruction; elsewhere compilers would call the C library's floor (or floorf,
// for a widened float), so one of the two floors above stands in. The pixel trace names the
// method among its build lines.
enum class FloorMethod { Instruction, Truncation, Rounding };
#if defined(__SSE4_1__) || defined(__aarch64__) || defined(__wasm__) || defined(_ARCH_PWR5X) || \
    defined(__s390x__)
inline constexpr FloorMethod kFloorMethod = FloorMethod::Instruction;
#elif defined(__x86_64__)
inline constexpr FloorMethod kFloorMethod = FloorMethod::Truncation;
#else
inline constexpr FloorMethod kFloorMethod = FloorMethod::Rounding;
#endif

// The floor.
inline double floorD(double v) {
    if constexpr (kFloorMethod == FloorMethod::Instruction) {
        return __builtin_floor(v);
    } else if constexpr (kFloorMethod == FloorMethod::Truncation) {
        return floorByTruncation(v);
    } else {
        return floorByRounding(v);
    }
}
inline float absF(float v) { return __builtin_fabsf(v); }

}  // namespace rm
