// The sculpture and the ground use stored cosines and sines of their quarter turns instead of
// calling cos and sin; they must be what this platform's 64-bit cos and sin give, narrowed.
#include "scene/quarter_turn.h"

#include <gtest/gtest.h>
#include <stdint.h>

#include <cmath>

#include "math/float_bits.h"

namespace {

// Hides the argument from the compiler, which would otherwise fold cos and sin itself instead of
// calling the platform's library.
double atRunTime(double v) {
    volatile double hidden = v;
    return hidden;
}

TEST(QuarterTurnTest, StoredValuesMatchTheLibraryForZeroAndOneTurns) {
    for (int32_t turns = 0; turns <= 1; ++turns) {
        SCOPED_TRACE(turns);
        const float angle = static_cast<float>(turns) * rm::kQuarterTurn;
        const double wide = atRunTime(angle);
        EXPECT_EQ(rm::floatBits(static_cast<float>(std::cos(wide))),
                  rm::floatBits(rm::quarterTurnCosine(turns)));
        EXPECT_EQ(rm::floatBits(static_cast<float>(std::sin(wide))),
                  rm::floatBits(rm::quarterTurnSine(turns)));
    }
}

TEST(QuarterTurnTest, LibraryGivesExactlyOneAndPositiveZeroAtZero) {
    EXPECT_EQ(rm::floatBits(static_cast<float>(std::cos(atRunTime(0.0)))), 0x3f800000u);
    EXPECT_EQ(rm::floatBits(static_cast<float>(std::sin(atRunTime(0.0)))), 0x00000000u);
}

}  // namespace
