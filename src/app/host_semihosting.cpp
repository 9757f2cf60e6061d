// The bare-metal program's host: the two host services through semihosting, the debug channel by
// which a program with no operating system asks its debugger or simulator (QEMU with
// -semihosting-config enable=on, OpenOCD, a board's debug probe) to write to the console and to
// end the run. Descriptor 1 is the console's standard output and 2 its standard error, as the
// host opens them for ":tt". The entry and the memory map are the machine's
// (src/app/baremetal/).
#include <stdint.h>

#include "app/host.h"

// The trap (below) that hands the operation and its parameter block to the debugger and returns
// its answer.
extern "C" intptr_t raymarchSemihostingTrap(uintptr_t operation, const void* parameter);

namespace rm {

namespace {

constexpr uintptr_t kSysOpen = 0x01;
constexpr uintptr_t kSysWrite = 0x05;
constexpr uintptr_t kSysErrno = 0x13;
constexpr uintptr_t kSysExit = 0x18;
constexpr uintptr_t kSysExitExtended = 0x20;

constexpr uintptr_t kStoppedApplicationExit = 0x20026;
constexpr uintptr_t kStoppedRunTimeErrorUnknown = 0x20023;

// The modes of SYS_OPEN, as fopen's "w" and "a": on ":tt" the first opens the standard output and
// the second the standard error.
constexpr uintptr_t kModeWrite = 4;
constexpr uintptr_t kModeAppend = 8;

// The error numbers that the image output names; a host on Linux reports the same ones through
// SYS_ERRNO.
constexpr int kErrorIo = 5;             // EIO
constexpr int kErrorBadDescriptor = 9;  // EBADF

intptr_t semihost(uintptr_t operation, const void* parameter) {
    return raymarchSemihostingTrap(operation, parameter);
}

// The debugger's error number of the last call that failed, or EIO when it names none.
int lastError() {
    const intptr_t error = semihost(kSysErrno, nullptr);
    return error > 0 && error < 4096 ? static_cast<int>(error) : kErrorIo;
}

struct ConsoleHandle {
    bool open;
    intptr_t handle;
};

ConsoleHandle consoleHandles[2];

// The debugger's handle for descriptor 1 or 2, opened at its first use; 0 or an error number.
int consoleHandle(int32_t descriptor, intptr_t& handle) {
    if (descriptor != 1 && descriptor != 2) return kErrorBadDescriptor;
    ConsoleHandle& console = consoleHandles[descriptor - 1];
    if (!console.open) {
        static constexpr char kConsoleName[] = ":tt";
        const uintptr_t parameters[3] = {reinterpret_cast<uintptr_t>(kConsoleName),
                                         descriptor == 1 ? kModeWrite : kModeAppend,
                                         sizeof kConsoleName - 1};
        const intptr_t opened = semihost(kSysOpen, parameters);
        if (opened == -1) return lastError();
        console = {true, opened};
    }
    handle = console.handle;
    return 0;
}

}  // namespace

int hostWrite(int32_t descriptor, const void* bytes, int32_t length) {
    intptr_t handle = 0;
    if (const int error = consoleHandle(descriptor, handle)) return error;
    const char* next = static_cast<const char*>(bytes);
    while (length > 0) {
        const uintptr_t parameters[3] = {static_cast<uintptr_t>(handle),
                                         reinterpret_cast<uintptr_t>(next),
                                         static_cast<uintptr_t>(length)};
        // SYS_WRITE answers with the number of bytes it did not write.
        const intptr_t unwritten = semihost(kSysWrite, parameters);
        if (unwritten < 0 || unwritten > length) return kErrorIo;
        if (unwritten == length) return lastError();
        next += length - unwritten;
        length = static_cast<int32_t>(unwritten);
    }
    return 0;
}

void hostExit(int32_t status) {
    // The plain SYS_EXIT of 32-bit processors carries no status: the extended call does. A host
    // without it returns, and then hears at least whether the run succeeded.
    const uintptr_t parameters[2] = {kStoppedApplicationExit, static_cast<uintptr_t>(status)};
    if constexpr (sizeof(uintptr_t) == 8) {
        semihost(kSysExit, parameters);
    } else {
        semihost(kSysExitExtended, parameters);
        const uintptr_t reason =
            status == 0 ? kStoppedApplicationExit : kStoppedRunTimeErrorUnknown;
        semihost(kSysExit, reinterpret_cast<const void*>(reason));
    }
    // A loop with no side effect may be assumed to end: the empty statement keeps it.
    for (;;)
        asm volatile("");
}

}  // namespace rm

// The trap sequences that debuggers and QEMU recognise, one function each, so that the calling
// convention puts the operation and the parameter in the registers the trap reads (a0 and a1, x0
// and x1, r0 and r1) and the answer comes back in the first. RISC-V's is three uncompressed
// instructions that must not cross a page: a function aligned to 16 bytes.
#if defined(__riscv)
asm(R"(
    .pushsection .text.raymarchSemihostingTrap, "ax", @progbits
    .globl raymarchSemihostingTrap
    .type raymarchSemihostingTrap, @function
    .balign 16
raymarchSemihostingTrap:
    .option push
    .option norvc
    slli x0, x0, 0x1f
    ebreak
    srai x0, x0, 7
    .option pop
    ret
    .size raymarchSemihostingTrap, . - raymarchSemihostingTrap
    .popsection
)");
#elif defined(__aarch64__)
asm(R"(
    .pushsection .text.raymarchSemihostingTrap, "ax", %progbits
    .globl raymarchSemihostingTrap
    .type raymarchSemihostingTrap, %function
    .balign 4
raymarchSemihostingTrap:
    hlt #0xf000
    ret
    .size raymarchSemihostingTrap, . - raymarchSemihostingTrap
    .popsection
)");
#elif defined(__arm__) && defined(__ARM_ARCH_PROFILE) && __ARM_ARCH_PROFILE == 'M'
asm(R"(
    .pushsection .text.raymarchSemihostingTrap, "ax", %progbits
    .globl raymarchSemihostingTrap
    .type raymarchSemihostingTrap, %function
    .thumb
    .balign 2
raymarchSemihostingTrap:
    bkpt 0xab
    bx lr
    .size raymarchSemihostingTrap, . - raymarchSemihostingTrap
    .popsection
)");
#elif defined(__arm__)
// In ARM state whatever the rest of the program's state: `bx lr` returns to either.
asm(R"(
    .pushsection .text.raymarchSemihostingTrap, "ax", %progbits
    .globl raymarchSemihostingTrap
    .type raymarchSemihostingTrap, %function
    .arm
    .balign 4
raymarchSemihostingTrap:
    svc 0x123456
    bx lr
    .size raymarchSemihostingTrap, . - raymarchSemihostingTrap
    .popsection
)");
#else
#error "no semihosting trap for this processor"
#endif
