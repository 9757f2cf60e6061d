#include "trace/float_readings.h"

#include <bit>
#include <cstdint>
#include <type_traits>

#include "math/float_environment.h"

namespace rm::tools {
namespace {

// The operands come through volatile objects and the operations through functions that are
// never inlined, so that the compiler cannot fold them: each is compiled as this build compiles
// the renderer's arithmetic, and runs under the environment of the moment.
template <typename T>
struct Operands {
    // A quarter of the unit in the last place of 1, and that unit.
    T quarterUnit;
    T unit;
    // Two normal factors whose product is subnormal, and exact.
    T normalFactor;
    T smallFactor;
    // A subnormal operand, and a factor that makes it normal.
    T subnormal;
    T scale;
    // a * a + c, whose exact value is the tail: half a unit of the product, which a rounded
    // product loses whichever way it rounds.
    T squared;
    T addend;
    T tail;
    // (1 + small) - 1 is small only when the sum keeps more than its width.
    T small;
};

volatile Operands<float> gFloat = {0x1p-25f,  0x1p-23f, 0x1p-100f,       0x1p-30f,
                                   0x1p-140f, 0x1p64f,  1.0f + 0x1p-12f, -(1.0f + 0x1p-11f),
                                   0x1p-24f,  0x1p-30f};
volatile Operands<double> gDouble = {0x1p-54, 0x1p-52,       0x1p-1000,        0x1p-30, 0x1p-1060,
                                     0x1p64,  1.0 + 0x1p-27, -(1.0 + 0x1p-26), 0x1p-54, 0x1p-60};

template <typename T>
[[gnu::noinline]] T sum(T a, T b) {
    return a + b;
}
template <typename T>
[[gnu::noinline]] T product(T a, T b) {
    return a * b;
}
template <typename T>
[[gnu::noinline]] T productPlus(T a, T b, T c) {
    return a * b + c;
}
template <typename T>
[[gnu::noinline]] T sumLessFirst(T a, T b) {
    return (a + b) - a;
}

// Every sum but the three that are read has an exact result, so the readings do not depend on
// the mode they read.
template <typename T>
Rounding readRounding(const volatile Operands<T>& operands) {
    const T quarter = operands.quarterUnit;
    const T unit = operands.unit;
    const T one = 1;
    // Each sum lands in an object of its type before it is compared, so that a unit that keeps
    // intermediates wider (the x87's 80 bits) rounds it there as its control says, rather than
    // showing the exact sum as a mode that fits none.
    volatile T landed[3] = {sum(one, quarter), sum(-one, -quarter), sum(one, 3 * quarter)};
    const T above = landed[0];
    const T below = landed[1];
    const T threeQuarters = landed[2];
    const T up = one + unit;
    if (above == one && below == -one && threeQuarters == up) return Rounding::Nearest;
    if (above == up && below == -one && threeQuarters == up) return Rounding::Upward;
    if (above == one && below == -up && threeQuarters == one) return Rounding::Downward;
    if (above == one && below == -one && threeQuarters == one) return Rounding::TowardZero;
    return Rounding::Unknown;
}

// Whether a result is zero, by its bits: a comparison would itself read a subnormal as zero where
// subnormal operands are.
template <typename T>
bool isZero(T v) {
    using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
    return std::bit_cast<Bits>(v) == 0;
}

template <typename T>
void read(const volatile Operands<T>& operands, Rounding& rounding, bool& resultsKept,
          bool& operandsRead, bool& productRounded, bool& operationRounded) {
    rounding = readRounding(operands);
    resultsKept = !isZero(product<T>(operands.normalFactor, operands.smallFactor));
    operandsRead = !isZero(product<T>(operands.subnormal, operands.scale));
    const T factor = operands.squared;
    productRounded = productPlus<T>(factor, factor, operands.addend) != operands.tail;
    const T small = operands.small;
    operationRounded = sumLessFirst<T>(1, small) != small;
}

std::string pair(const char* floatValue, const char* doubleValue) {
    return std::string("float ") + floatValue + ", double " + doubleValue;
}

}  // namespace

FloatEnvironmentReading readFloatEnvironment() {
    FloatEnvironmentReading r;
    read(gFloat, r.floatRounding, r.floatResultsKept, r.floatOperandsRead, r.floatProductRounded,
         r.floatOperationRounded);
    read(gDouble, r.doubleRounding, r.doubleResultsKept, r.doubleOperandsRead,
         r.doubleProductRounded, r.doubleOperationRounded);
    return r;
}

const char* roundingName(Rounding rounding) {
    switch (rounding) {
        case Rounding::Nearest:
            return "nearest";
        case Rounding::Upward:
            return "upward";
        case Rounding::Downward:
            return "downward";
        case Rounding::TowardZero:
            return "toward zero";
        case Rounding::Unknown:
            break;
    }
    return "unknown";
}

std::string roundingValue(const FloatEnvironmentReading& reading) {
    return pair(roundingName(reading.floatRounding), roundingName(reading.doubleRounding));
}

std::string subnormalResultsValue(const FloatEnvironmentReading& reading) {
    return pair(reading.floatResultsKept ? "kept" : "flushed",
                reading.doubleResultsKept ? "kept" : "flushed");
}

std::string subnormalOperandsValue(const FloatEnvironmentReading& reading) {
    return pair(reading.floatOperandsRead ? "read" : "zero",
                reading.doubleOperandsRead ? "read" : "zero");
}

std::string floatControlValue() {
    switch (kFloatControl) {
        case FloatControl::Set:
            return "set to round to nearest, nothing flushed, exceptions masked";
        case FloatControl::AlwaysToNearest:
            return "none: WebAssembly always rounds to nearest";
        case FloatControl::LeftAsHostSet:
            break;
    }
    return std::string("left as the host set it (") + kFloatControlLeftWhy + ")";
}

}  // namespace rm::tools
