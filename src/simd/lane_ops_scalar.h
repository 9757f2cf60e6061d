#pragma once

// One lane in plain scalar code, for processors without the vector paths. Where the processor
// overlaps independent work (x86-64, and WebAssembly engines, which compile for one) the march
// interleaves several single rays so that their passes overlap; elsewhere it takes one ray at a
// time.
#include <stdint.h>

#include "math/float_evaluation.h"
#include "math/float_ops.h"
#include "simd/lane_strategies.h"

namespace rm {

// Whether the single lanes run on a processor that overlaps independent work and predicts
// branches: an x86-64 processor, or a WebAssembly engine, which compiles for one. The other
// processors without vector paths mostly run under an emulator, which pays for every instruction
// and overlaps nothing, so there the fewest instructions win.
#if defined(__x86_64__) || defined(__wasm__)
constexpr bool kScalarOverlapsWork = true;
#else
constexpr bool kScalarOverlapsWork = false;
#endif

// Whether the compiler should see the constants of the lane arithmetic (see
// PlaneNoiseConstants). On RISC-V, MIPS, SPARC, s390x and Alpha, GCC forms a floating-point
// constant from its address in two or three instructions at every use in a loop short of
// registers, so the march reads its constants from a record it cannot see into, one load a use:
// riscv64 and sparc64 march in 4 % and 11 % fewer instructions. Elsewhere a constant is an operand
// from memory (x86), a load from a pool beside the code (Arm) or from a register kept for the
// purpose (POWER), and hiding it costs up to 7 %.
#if defined(__riscv) || defined(__mips__) || defined(__sparc__) || defined(__s390x__) || \
    defined(__alpha__)
constexpr bool kScalarConstantsInCode = false;
#else
constexpr bool kScalarConstantsInCode = true;
#endif

// Whether the noise forms a cell's gradients in code written out for each pair of gradient codes,
// reached by one jump through a table, rather than as products with factors read from a table
// (see noise/plane_gradients.h). Where every instruction costs, that saves 8 to 20 % of a frame:
// measured on RISC-V, POWER, s390x, Arm, AArch64, i386, SPARC, PA-RISC and Alpha. An x86-64
// processor mostly mispredicts the jump and takes 10 % longer; GCC for MIPS keeps the cases'
// values in integer registers, which costs 4 % there.
#if defined(__x86_64__) || defined(__wasm__) || defined(__mips__)
constexpr bool kScalarGradientCodeCases = false;
#else
constexpr bool kScalarGradientCodeCases = true;
#endif

// Whether a single ray leaves out its finest ground sample where the sculpture is nearer than the
// ground can be (see finishPassSingle). The choice costs some compares and branches in every pass
// and saves one of the three noise samples in one pass of 8: measured per processor, that pays on
// RISC-V (2 %), x86-64 (4 %), s390x, Arm, MIPS and SPARC, but not on POWER, i386 or AArch64.
#if defined(__powerpc__) || defined(__i386__) || defined(__aarch64__)
constexpr bool kScalarSkipsFineGround = false;
#else
constexpr bool kScalarSkipsFineGround = true;
#endif

struct LaneOpsScalar {
    static constexpr int kWidth = 1;
    static constexpr bool kConstantsInCode = kScalarConstantsInCode;
    // Four single rays side by side where the processor overlaps their passes; under an emulator
    // the spills and reloads of four rays' values cost more than the overlap gains (8 % of a
    // riscv64 frame).
    static constexpr int kGroups = kScalarOverlapsWork ? 4 : 1;
    // A single lane reads its gradients from tables (or jumps to code written out for them)
    // instead of testing code bits, whose choices follow random bits that no branch predictor can
    // learn.
    static constexpr GradientForm kGradients =
        kScalarGradientCodeCases ? GradientForm::PairCases : GradientForm::PairFactors;
    static constexpr bool kCellsFromFloats = false;
    static constexpr bool kFloorByConversion = true;
    // A ray leaves the coarsest cell in about one pass of 25 and the middle one in one of 8, but
    // the finest in more than one of 3. Where branches are predicted, the test for the finest cell
    // costs more than the look-up it saves; under an emulator it saves 2.5 % of a riscv64 frame.
    static constexpr int kRememberedGroundCells = kScalarOverlapsWork ? 2 : 3;
    static constexpr MarchForm kMarch = MarchForm::SingleRay;
    static constexpr bool kSkipsFineGround = kScalarSkipsFineGround;
    static constexpr bool kJoinsConditions = false;
    using F = float;
    using D = double;
    using I = int32_t;
    using L = int64_t;
    using MF = bool;
    using MD = bool;

    static F setF(float v) { return v; }
    static F loadF(const float* p) { return *p; }
    static void storeF(float* p, F v) { *p = v; }
    static F addF(F a, F b) { return a + b; }
    static F subF(F a, F b) { return a - b; }
    static F mulF(F a, F b) { return a * b; }
    static F sqrtF(F a) { return rm::sqrtF(a); }
    static MF leF(F a, F b) { return a <= b; }
    static MF ltF(F a, F b) { return a < b; }
    static MF gtF(F a, F b) { return a > b; }
    static MF geF(F a, F b) { return a >= b; }
    static MF andMF(MF a, MF b) { return a && b; }
    static F selectF(MF m, F ifFalse, F ifTrue) { return m ? ifTrue : ifFalse; }
    static int bitsF(MF m) { return m ? 1 : 0; }

    static D loadD(const double* p) { return *p; }
    static void storeD(double* p, D v) { *p = v; }
    static D setD(double v) { return v; }
    static D addD(D a, D b) { return a + b; }
    static D subD(D a, D b) { return a - b; }
    static D mulD(D a, D b) { return a * b; }
    static D floorD(D a) { return rm::floorD(a); }
    static D absD(D a) { return __builtin_fabs(a); }
    static MD gtD(D a, D b) { return a > b; }
    static MD ltD(D a, D b) { return a < b; }
    static MD andMD(MD a, MD b) { return a && b; }
    static D selectD(MD m, D ifFalse, D ifTrue) { return m ? ifTrue : ifFalse; }
    static D zeroUnlessD(MD m, D v) { return m ? v : 0.0; }
    static int bitsD(MD m) { return m ? 1 : 0; }

    static D widen(F v) { return v; }
    static F narrow(D v) { return static_cast<float>(v); }
    // Truncation of integral values; out of range or NaN gives 0x80000000, as the vector paths do.
    static I truncate(D v) {
        return v >= -2147483648.0 && v < 2147483648.0 ? static_cast<int32_t>(v) : INT32_MIN;
    }

    static I truncateF(F v) {
        return v >= -2147483648.0f && v < 2147483648.0f ? static_cast<int32_t>(v) : INT32_MIN;
    }

    static I setI(int32_t v) { return v; }
    static I loadI(const int32_t* p) { return *p; }
    static void storeI(int32_t* p, I v) { *p = v; }
    // Wraps as the vector lanes' additions do: a cell index past the 32-bit range is no overflow.
    static I addI(I a, I b) {
        return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
    }
    static I andI(I a, I b) { return a & b; }
    static I orI(I a, I b) { return a | b; }
    static I shiftLeftI(I a, int n) { return static_cast<int32_t>(static_cast<uint32_t>(a) << n); }
    static int equalBitsI(I a, I b) { return a == b ? 1 : 0; }
    static I selectI(MF m, I ifFalse, I ifTrue) { return m ? ifTrue : ifFalse; }
    static I gather(const uint16_t* table, I index) { return table[index]; }

    static L widenI(I v) { return static_cast<int64_t>(static_cast<uint32_t>(v)); }
    static MD bitSetL(L h, int bit) { return (h >> bit & 1) != 0; }
    static D keepIfBitD(D v, L h, int bit) { return (h >> bit & 1) != 0 ? v : 0.0; }
    static D flipSignD(D v, L h, int bit) { return (h >> bit & 1) != 0 ? -v : v; }
};

}  // namespace rm
