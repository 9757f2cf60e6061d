#include "math/float_environment.h"

#include <stdint.h>

// Out of line on purpose: the compilers know nothing of the control register, and a call they
// cannot see into keeps every operation of the caller after it.
namespace rm {

#if defined(__x86_64__) || (defined(__i386__) && defined(__SSE__))

void setFloatEnvironment() {
    // MXCSR: every exception masked (bits 7-12), round to nearest (13-14 clear), neither
    // flush to zero (15) nor denormals are zero (6).
    const uint32_t mxcsr = 0x1f80;
    asm volatile("ldmxcsr %0" : : "m"(mxcsr) : "memory");
#if defined(__i386__)
    // The x87 unit still returns every float and double result of a call in st(0): every
    // exception masked, 64-bit significand, round to nearest.
    const uint16_t x87Control = 0x037f;
    asm volatile("fldcw %0" : : "m"(x87Control) : "memory");
#endif
}

#elif defined(__aarch64__)

void setFloatEnvironment() {
    // FPCR 0: round to nearest, no flush to zero, default NaN off, every trap disabled.
    asm volatile("msr fpcr, xzr" : : : "memory");
}

#elif defined(__arm__) && defined(__ARM_FP) && !defined(__SOFTFP__)

void setFloatEnvironment() {
    // FPSCR: rounding mode 22-23, flush to zero 24, default NaN 25, trap enables 8-12 and 15. The
    // other bits (the flags and, on older cores, the vector length and stride) stay as they are.
    constexpr uint32_t kCleared =
        (3u << 22) | (1u << 24) | (1u << 25) | (0x1fu << 8) | (1u << 15);  // 0x03c09f00
    uint32_t fpscr;
    asm volatile("vmrs %0, fpscr" : "=r"(fpscr));
    fpscr &= ~kCleared;
    asm volatile("vmsr fpscr, %0" : : "r"(fpscr) : "memory");
}

#elif defined(__riscv) && defined(__riscv_flen)

void setFloatEnvironment() {
    // fcsr 0: dynamic rounding to nearest, flags clear; RISC-V neither flushes nor traps.
    asm volatile("fscsr zero" : : : "memory");
}

#elif defined(__powerpc__) && !defined(_SOFT_FLOAT) && !defined(__NO_FPRS__)

void setFloatEnvironment() {
    // FPSCR field 6 holds the enables VE, OE, UE and ZE; field 7 the enable XE, non-IEEE mode NI
    // and the rounding mode RN. All zero: traps off, IEEE subnormals, round to nearest.
    asm volatile("mtfsfi 6, 0\n\tmtfsfi 7, 0" : : : "memory");
}

#elif defined(__s390x__)

void setFloatEnvironment() {
    // FPC 0: every mask off, binary rounding to nearest.
    asm volatile("sfpc %0" : : "d"(0u) : "memory");
}

#elif defined(__mips__) && defined(__mips_hard_float)

void setFloatEnvironment() {
    // FCSR: rounding mode 0-1, enables 7-11, flush to zero (FS) 24. NAN2008 and ABS2008 (18, 19)
    // tell how this processor encodes NaNs and stay as they are.
    constexpr uint32_t kCleared = 3u | (0x1fu << 7) | (1u << 24);  // 0x01000f83
    uint32_t fcsr;
    asm volatile("cfc1 %0, $31" : "=r"(fcsr));
    fcsr &= ~kCleared;
    asm volatile("ctc1 %0, $31" : : "r"(fcsr) : "memory");
}

#elif defined(__sparc__) && !defined(_SOFT_FLOAT)

void setFloatEnvironment() {
    // FSR (its lower word, which st and ld move on SPARC V8 and V9 alike): rounding direction
    // 30-31, trap enables 23-27, non-standard mode 22.
    constexpr uint32_t kCleared = (3u << 30) | (0x1fu << 23) | (1u << 22);  // 0xcfc00000
    uint32_t fsr;
    asm volatile("st %%fsr, %0" : "=m"(fsr));
    fsr &= ~kCleared;
    asm volatile("ld %0, %%fsr" : : "m"(fsr) : "memory");
}

#elif defined(__m68k__) && defined(__HAVE_68881__)

void setFloatEnvironment() {
    // FPCR 0: every exception disabled, round to nearest. Its rounding precision (extended) does
    // not matter: the 68040's fsadd, fdmul and the like round to their own width.
    asm volatile("fmove.l %0, %%fpcr" : : "d"(0u) : "memory");
}

#else

static_assert(kFloatControl != FloatControl::Set, "no code to set this processor's control");

// WebAssembly has no control to set; elsewhere float_environment.h says why it is left.
void setFloatEnvironment() {}

#endif

static_assert(kFloatControl != FloatControl::LeftAsHostSet || kFloatControlLeftWhy[0] != '\0',
              "a control that is left needs its reason");

}  // namespace rm
