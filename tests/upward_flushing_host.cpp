// Preloaded into a program (LD_PRELOAD), this library starts it as a host could: rounding upward,
// with subnormal results flushed to zero and subnormal operands read as zero. Its constructor
// runs before the program's main.
#include <fenv.h>
#include <xmmintrin.h>

namespace {

constexpr unsigned kFlushToZero = 1u << 15;      // MXCSR FTZ
constexpr unsigned kDenormalsAreZero = 1u << 6;  // MXCSR DAZ

[[gnu::constructor]] void startInAnotherMode() {
    fesetround(FE_UPWARD);
    _mm_setcsr(_mm_getcsr() | kFlushToZero | kDenormalsAreZero);
}

}  // namespace
