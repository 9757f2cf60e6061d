// The bare-metal program's entry, for a machine with no operating system and no firmware that
// prepares anything: the processor comes out of reset (or out of QEMU's loader) at _start with
// only the program's image in memory. _start sets the stack at the top of the stack section of
// the linker script (sections.ld), lets the program use the floating-point unit and sets its
// control to round to nearest, every exception masked and nothing flushed to zero, so that no
// state left by a boot loader can change a bit of the image; raymarchReset then lays out the
// data and runs the program. Each processor's part says which privilege level it expects.
#include <stddef.h>
#include <stdint.h>

#include "app/host.h"

extern "C" {

// From the linker script: the initialised data where it runs and where it was loaded (the same
// place when the image is loaded into RAM), and the zeroed data.
extern char raymarchDataStart[];
extern char raymarchDataEnd[];
extern char raymarchDataLoad[];
extern char raymarchBssStart[];
extern char raymarchBssEnd[];

// From src/app/freestanding_runtime.cpp.
void* memcpy(void* destination, const void* source, size_t count);
void* memset(void* destination, int value, size_t count);

}  // extern "C"

int main();

namespace {

size_t distance(const char* start, const char* end) {
    return reinterpret_cast<uintptr_t>(end) - reinterpret_cast<uintptr_t>(start);
}

}  // namespace

// Called by _start, with nothing in place yet but the stack: nothing static may be read before the
// two copies. main ends with hostExit; should it ever return, its result is the status.
extern "C" [[noreturn]] void raymarchReset() {
    if (distance(raymarchDataLoad, raymarchDataStart) != 0)
        memcpy(raymarchDataStart, raymarchDataLoad, distance(raymarchDataStart, raymarchDataEnd));
    memset(raymarchBssStart, 0, distance(raymarchBssStart, raymarchBssEnd));
    rm::hostExit(main());
}

#if defined(__riscv)
// Machine mode, as QEMU's virt machine enters a program loaded with -bios none. gp is the global
// pointer the linker may use for nearby data; it must be set before any other instruction could
// rely on it. mstatus.FS (bits 13 and 14) starts Off, when every floating-point instruction traps.
asm(R"(
    .pushsection .text.reset, "ax", @progbits
    .globl _start
    .type _start, @function
_start:
    .option push
    .option norelax
    lla gp, __global_pointer$
    .option pop
    lla sp, raymarchStackTop
    li t0, 0x6000
    csrs mstatus, t0
    fscsr zero
    li s0, 0
    li ra, 0
    call raymarchReset
    unimp
    .size _start, . - _start
    .popsection
)");
#elif defined(__aarch64__)
// EL1, as QEMU's virt machine enters a program without firmware, or EL2, where a boot loader may
// leave it: CPACR_EL1.FPEN (bits 20 and 21) lets EL1 and EL0 use the floating-point and SIMD
// registers, and at EL2 CPTR_EL2 must not trap them either (its reserved bits set, TFP clear).
asm(R"(
    .pushsection .text.reset, "ax", %progbits
    .globl _start
    .type _start, %function
_start:
    adrp x0, raymarchStackTop
    add x0, x0, :lo12:raymarchStackTop
    mov sp, x0
    mrs x0, CurrentEL
    cmp x0, #(2 << 2)
    b.ne 1f
    mov x0, #0x33ff
    msr cptr_el2, x0
1:
    mov x0, #(3 << 20)
    msr cpacr_el1, x0
    isb
    msr fpcr, xzr
    mov x29, #0
    mov x30, #0
    bl raymarchReset
    brk #0
    .size _start, . - _start
    .popsection
)");
#elif defined(__arm__) && !(defined(__ARM_ARCH_PROFILE) && __ARM_ARCH_PROFILE == 'M')
// A privileged mode (SVC, as QEMU's virt machine enters a program without firmware), ARM state.
// CPACR gives full access to coprocessors 10 and 11 (bits 20 to 23), then FPEXC.EN (bit 30)
// switches the unit on; FPSCR 0 is round to nearest, no flush to zero, no default NaN and no
// trapped exception.
asm(R"(
    .pushsection .text.reset, "ax", %progbits
    .globl _start
    .type _start, %function
    .arm
_start:
    ldr sp, =raymarchStackTop
    mrc p15, 0, r0, c1, c0, 2
    orr r0, r0, #(0xf << 20)
    mcr p15, 0, r0, c1, c0, 2
    isb
    mov r0, #(1 << 30)
    vmsr fpexc, r0
    mov r0, #0
    vmsr fpscr, r0
    mov fp, #0
    mov lr, #0
    bl raymarchReset
    udf #0
    .ltorg
    .size _start, . - _start
    .popsection
)");
#elif defined(__arm__) && defined(__ARM_ARCH_PROFILE) && __ARM_ARCH_PROFILE == 'M'
namespace {

// The status of a program ended by a fault: what a shell reports for one that aborted
// (128 + SIGABRT), so that no fault can pass for a failed write (1).
constexpr int32_t kFaultStatus = 134;

constexpr const char* kExceptionNames[] = {
    "reset", "reset", "NMI", "HardFault", "MemManage", "BusFault", "UsageFault",
};

// Configurable Fault Status Register: which MemManage, BusFault or UsageFault it was.
volatile uint32_t* const kFaultStatusRegister = reinterpret_cast<volatile uint32_t*>(0xe000ed28);

char* appendText(char* out, const char* text) {
    while (*text)
        *out++ = *text++;
    return out;
}

char* appendHex(char* out, uint32_t value) {
    out = appendText(out, "0x");
    for (int shift = 28; shift >= 0; shift -= 4)
        *out++ = "0123456789abcdef"[(value >> shift) & 0xfu];
    return out;
}

}  // namespace

// Every exception of the vector table but reset comes here, through raymarchFaultEntry with the
// frame the processor stacked (r0-r3, r12, lr, pc, xPSR) and the exception's number: it says
// which and where on the standard error and ends the run, instead of leaving the machine to spin.
extern "C" [[noreturn]] void raymarchFault(const uint32_t* frame, uint32_t exception) {
    char line[96];
    char* out = appendText(line, "raymarch: fault: ");
    if (exception < sizeof kExceptionNames / sizeof kExceptionNames[0]) {
        out = appendText(out, kExceptionNames[exception]);
    } else {
        out = appendText(out, "exception ");
        out = appendHex(out, exception);
    }
    out = appendText(out, " at pc ");
    out = appendHex(out, frame[6]);
    out = appendText(out, ", CFSR ");
    out = appendHex(out, *kFaultStatusRegister);
    *out++ = '\n';
    rm::hostWrite(2, line, static_cast<int32_t>(out - line));
    rm::hostExit(kFaultStatus);
}

// Thread mode on the main stack, privileged, as the processor leaves reset, Thumb state. The
// processor takes the stack and _start from the vector table at 0; a debugger that loads the ELF
// file and jumps to _start may not, so _start sets both again (VTOR, 0xe000ed08). CPACR
// (0xe000ed88) gives full access to coprocessors 10 and 11 (bits 20 to 23), the floating-point
// unit; FPSCR 0 and FPDSCR (0xe000ef3c, what an exception handler's FPSCR starts as) 0 are round
// to nearest, no flush to zero, no default NaN. SHCSR (0xe000ed24, bits 16 to 18) lets
// MemManage, BusFault and UsageFault come as themselves rather than all as HardFault, so that the
// fault's line names it. Nothing enables an interrupt, so the table holds the processor's own 16
// entries and no others.
asm(R"(
    .pushsection .vectors, "a", %progbits
    .balign 128
    .globl raymarchVectors
raymarchVectors:
    .word raymarchStackTop
    .word _start
    .rept 14
    .word raymarchFaultEntry
    .endr
    .size raymarchVectors, . - raymarchVectors
    .popsection

    .pushsection .text.reset, "ax", %progbits
    .syntax unified
    .thumb
    .globl _start
    .type _start, %function
    .thumb_func
_start:
    ldr r0, =raymarchStackTop
    mov sp, r0
    ldr r0, =0xe000ed08
    ldr r1, =raymarchVectors
    str r1, [r0]
    ldr r0, =0xe000ed24
    ldr r1, [r0]
    orr r1, r1, #(0x7 << 16)
    str r1, [r0]
    ldr r0, =0xe000ed88
    ldr r1, [r0]
    orr r1, r1, #(0xf << 20)
    str r1, [r0]
    dsb
    isb
    movs r0, #0
    vmsr fpscr, r0
    ldr r1, =0xe000ef3c
    str r0, [r1]
    mov lr, r0
    bl raymarchReset
    udf #0
    .ltorg
    .size _start, . - _start

    .globl raymarchFaultEntry
    .type raymarchFaultEntry, %function
    .thumb_func
raymarchFaultEntry:
    tst lr, #4
    ite eq
    mrseq r0, msp
    mrsne r0, psp
    mrs r1, ipsr
    b raymarchFault
    .size raymarchFaultEntry, . - raymarchFaultEntry
    .popsection
)");
#else
#error "no reset entry for this processor: write one beside these"
#endif
