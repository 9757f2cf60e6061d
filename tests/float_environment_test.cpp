// The readings of the floating-point environment that the trace reports, under each mode a host may
// leave, and setFloatEnvironment(), which brings back the one the image is exact under.
#include "math/float_environment.h"

#include <fenv.h>
#include <gtest/gtest.h>

#include "trace/float_readings.h"

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace {

using rm::tools::FloatEnvironmentReading;
using rm::tools::readFloatEnvironment;
using rm::tools::Rounding;

#if defined(__x86_64__) || defined(__i386__)
constexpr unsigned kFlushToZero = 1u << 15;      // MXCSR FTZ
constexpr unsigned kDenormalsAreZero = 1u << 6;  // MXCSR DAZ
constexpr unsigned kMxcsrFlags = 0x3f;           // the sticky exception flags
constexpr unsigned kMxcsrExact = 0x1f80;         // every exception masked, round to nearest
#endif

// Each test changes the environment; this gives back the one it started under.
class FloatEnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(fegetenv(&saved_), 0); }
    void TearDown() override { fesetenv(&saved_); }

private:
    fenv_t saved_;
};

struct Expected {
    Rounding rounding = Rounding::Nearest;
    bool resultsKept = true;
    bool operandsRead = true;
};

// The two probes of the compiled arithmetic say yes under every environment: neither rounding nor
// flushing makes a product look fused or a sum look wider than its width.
void expectReading(const FloatEnvironmentReading& r, const Expected& e, int line) {
    SCOPED_TRACE(testing::Message() << "read at line " << line);
    EXPECT_EQ(rm::tools::roundingName(r.floatRounding), rm::tools::roundingName(e.rounding));
    EXPECT_EQ(rm::tools::roundingName(r.doubleRounding), rm::tools::roundingName(e.rounding));
    EXPECT_EQ(r.floatResultsKept, e.resultsKept);
    EXPECT_EQ(r.doubleResultsKept, e.resultsKept);
    EXPECT_EQ(r.floatOperandsRead, e.operandsRead);
    EXPECT_EQ(r.doubleOperandsRead, e.operandsRead);
    EXPECT_TRUE(r.floatProductRounded);
    EXPECT_TRUE(r.doubleProductRounded);
    EXPECT_TRUE(r.floatOperationRounded);
    EXPECT_TRUE(r.doubleOperationRounded);
}

struct Mode {
    int mode;
    Rounding rounding;
    const char* name;
};
constexpr Mode kModes[] = {{FE_TONEAREST, Rounding::Nearest, "to nearest"},
                           {FE_UPWARD, Rounding::Upward, "upward"},
                           {FE_DOWNWARD, Rounding::Downward, "downward"},
                           {FE_TOWARDZERO, Rounding::TowardZero, "toward zero"}};

TEST_F(FloatEnvironmentTest, ReadsEachRoundingModeAndSetBringsBackNearest) {
    for (const Mode& m : kModes) {
        SCOPED_TRACE(m.name);
        ASSERT_EQ(fesetround(m.mode), 0);
        expectReading(readFloatEnvironment(), {m.rounding}, __LINE__);
        rm::setFloatEnvironment();
        expectReading(readFloatEnvironment(), {}, __LINE__);
    }
}

#if defined(__x86_64__) || defined(__i386__)
TEST_F(FloatEnvironmentTest, ReadsFlushingAndZeroOperandsApartAndSetClearsBoth) {
    const unsigned start = _mm_getcsr() & ~(kFlushToZero | kDenormalsAreZero);
    _mm_setcsr(start | kFlushToZero);
    expectReading(readFloatEnvironment(), {Rounding::Nearest, false, true}, __LINE__);
    _mm_setcsr(start | kDenormalsAreZero);
    expectReading(readFloatEnvironment(), {Rounding::Nearest, true, false}, __LINE__);
    _mm_setcsr(start | kFlushToZero | kDenormalsAreZero);
    expectReading(readFloatEnvironment(), {Rounding::Nearest, false, false}, __LINE__);
    ASSERT_EQ(fesetround(FE_DOWNWARD), 0);
    expectReading(readFloatEnvironment(), {Rounding::Downward, false, false}, __LINE__);

    rm::setFloatEnvironment();
    EXPECT_EQ(_mm_getcsr() & ~kMxcsrFlags, kMxcsrExact);
    expectReading(readFloatEnvironment(), {}, __LINE__);
}
#else
TEST_F(FloatEnvironmentTest, ReadsFlushingAndZeroOperandsApartAndSetClearsBoth) {
    GTEST_SKIP() << "flushing is set through x86's MXCSR";
}
#endif

#if defined(__GLIBC__) && (defined(__x86_64__) || defined(__i386__))
// An unmasked exception would stop the image at the first operation that raises it.
TEST_F(FloatEnvironmentTest, SetMasksEveryException) {
    ASSERT_NE(feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW), -1);
    ASSERT_NE(_mm_getcsr() & kMxcsrExact, kMxcsrExact);
    rm::setFloatEnvironment();
    EXPECT_EQ(_mm_getcsr() & ~kMxcsrFlags, kMxcsrExact);
#if defined(__i386__)
    EXPECT_EQ(fegetexcept(), 0);  // the x87 control word, which returns every float result
#endif
}
#endif

// The values the comparator parses, for readings that differ in each width.
TEST(FloatReadingsTest, FormatsEachWidthOfTheReadings) {
    FloatEnvironmentReading r;
    r.floatRounding = Rounding::TowardZero;
    r.doubleRounding = Rounding::Unknown;
    r.floatResultsKept = false;
    r.doubleOperandsRead = false;
    EXPECT_EQ(rm::tools::roundingValue(r), "float toward zero, double unknown");
    EXPECT_EQ(rm::tools::subnormalResultsValue(r), "float flushed, double kept");
    EXPECT_EQ(rm::tools::subnormalOperandsValue(r), "float read, double zero");
    r = {};
    r.doubleRounding = Rounding::Downward;
    r.doubleResultsKept = false;
    r.floatOperandsRead = false;
    EXPECT_EQ(rm::tools::roundingValue(r), "float nearest, double downward");
    EXPECT_EQ(rm::tools::subnormalResultsValue(r), "float kept, double flushed");
    EXPECT_EQ(rm::tools::subnormalOperandsValue(r), "float zero, double read");
#if defined(__x86_64__) || defined(__aarch64__)
    EXPECT_EQ(rm::tools::floatControlValue(),
              "set to round to nearest, nothing flushed, exceptions masked");
#endif
}

}  // namespace
