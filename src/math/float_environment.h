#pragma once

// The processor's floating-point control as the renderer needs it: round to nearest, no flushing
// of subnormal results to zero, subnormal operands read as they are, every exception masked. The
// image is exact only under it, and a host may start a program otherwise (a library's
// constructor, a parent that left another rounding mode, a runtime that flushes for speed).
//
// setFloatEnvironment() sets it by the processor's own instructions, without the C library, so
// that the freestanding build has it too. Call it first thing in main, before any arithmetic of
// the image; nothing of the renderer changes it afterwards.

namespace rm {

// Whether setFloatEnvironment() sets this processor's control.
enum class FloatControl {
    Set,              // set to round to nearest, nothing flushed, exceptions masked
    LeftAsHostSet,    // left as it is: kFloatControlLeftWhy says why
    AlwaysToNearest,  // there is no control: the arithmetic always rounds to nearest, unflushed
};

#if defined(__wasm__)
inline constexpr FloatControl kFloatControl = FloatControl::AlwaysToNearest;
inline constexpr const char* kFloatControlLeftWhy = "";
#elif defined(__x86_64__) || (defined(__i386__) && defined(__SSE__)) || defined(__aarch64__) || \
    (defined(__arm__) && defined(__ARM_FP) && !defined(__SOFTFP__)) ||                          \
    (defined(__riscv) && defined(__riscv_flen)) ||                                              \
    (defined(__powerpc__) && !defined(_SOFT_FLOAT) && !defined(__NO_FPRS__)) ||                 \
    defined(__s390x__) || (defined(__mips__) && defined(__mips_hard_float)) ||                  \
    (defined(__sparc__) && !defined(_SOFT_FLOAT)) ||                                            \
    (defined(__m68k__) && defined(__HAVE_68881__))
inline constexpr FloatControl kFloatControl = FloatControl::Set;
inline constexpr const char* kFloatControlLeftWhy = "";
#else
inline constexpr FloatControl kFloatControl = FloatControl::LeftAsHostSet;
#if defined(__hppa__)
// PA-RISC keeps its status word in the upper half of fr0, beside the exception registers. Its
// rounding and enable bits could be rewritten through memory, but the bit that flushes subnormals
// is not the same on every model, and a write that could not be checked is not made: the kernel
// starts every process at round to nearest with every exception masked.
inline constexpr const char* kFloatControlLeftWhy =
    "PA-RISC: its status register is left to the kernel, which starts it at round to nearest";
#elif defined(__alpha__)
// GCC codes the rounding into each Alpha instruction (static rounding, -mfp-rounding-mode=n), and
// with -mieee the kernel completes subnormal results itself: the dynamic control is not read.
inline constexpr const char* kFloatControlLeftWhy =
    "Alpha: each instruction rounds to nearest by its own static mode";
#elif defined(__sh__)
// GCC switches FPSCR's precision and transfer-size bits around the code as it needs them; a write
// of the whole register here could leave them at odds with what the compiled code expects.
inline constexpr const char* kFloatControlLeftWhy =
    "SH-4: the compiler manages FPSCR, and the kernel starts it at round to nearest";
#elif defined(__arm__)
inline constexpr const char* kFloatControlLeftWhy =
    "software floating point, which always rounds to nearest and never flushes";
#else
inline constexpr const char* kFloatControlLeftWhy = "no code to set this processor's control";
#endif
#endif

// Sets round to nearest, no flushing, every exception masked where kFloatControl is Set; does
// nothing elsewhere.
void setFloatEnvironment();

}  // namespace rm
