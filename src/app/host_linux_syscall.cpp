// The freestanding program's host on Linux: the two host services by raw system calls (write and
// exit_group) and the entry point, for x86-64, aarch64, riscv64 and riscv32. Nothing of the C
// library and no start-up file of the system is linked; this file and the kit's runtime are all
// the program has beside the renderer. To port to another host, copy this file and replace the
// system calls and the entry.
#include "app/host.h"

namespace rm {

namespace {

// Linux's error numbers, the same on these four processors. hostWrite returns them, and the
// freestanding image output names them.
constexpr int kErrorInterrupted = 4;  // EINTR
constexpr int kErrorIo = 5;           // EIO
constexpr int kErrorAgain = 11;       // EAGAIN, also EWOULDBLOCK

#if defined(__x86_64__)
constexpr long kSysWrite = 1;
constexpr long kSysExitGroup = 231;
constexpr long kSysPpoll = 271;

long systemCall(long number, long a, long b, long c, long d) {
    register long r10 asm("r10") = d;
    long result;
    asm volatile("syscall"
                 : "=a"(result)
                 : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10)
                 : "rcx", "r11", "memory");
    return result;
}
#elif defined(__aarch64__) || defined(__riscv)
constexpr long kSysWrite = 64;
constexpr long kSysExitGroup = 94;
#if defined(__riscv) && __riscv_xlen == 32
constexpr long kSysPpoll = 414;  // ppoll_time64: 32-bit RISC-V has only the 64-bit time calls
#else
constexpr long kSysPpoll = 73;
#endif

long systemCall(long number, long a, long b, long c, long d) {
#if defined(__aarch64__)
    register long n asm("x8") = number;
    register long r0 asm("x0") = a;
    register long r1 asm("x1") = b;
    register long r2 asm("x2") = c;
    register long r3 asm("x3") = d;
    asm volatile("svc #0" : "+r"(r0) : "r"(n), "r"(r1), "r"(r2), "r"(r3) : "memory");
#else
    register long n asm("a7") = number;
    register long r0 asm("a0") = a;
    register long r1 asm("a1") = b;
    register long r2 asm("a2") = c;
    register long r3 asm("a3") = d;
    asm volatile("ecall" : "+r"(r0) : "r"(n), "r"(r1), "r"(r2), "r"(r3) : "memory");
#endif
    return r0;
}
#else
#error "no system calls for this processor: copy this file and write them"
#endif

// The kernel returns -1 .. -4095 for an error number.
int errorOf(long result) { return result < 0 && result > -4096 ? static_cast<int>(-result) : 0; }

struct PollEntry {
    int32_t descriptor;
    int16_t events;
    int16_t returnedEvents;
};
constexpr int16_t kPollOut = 4;

// A parent may hand over a descriptor in non-blocking mode; a write that would block then fails
// with EAGAIN although nothing is wrong. Sleep until the descriptor takes bytes again (no timeout,
// no signal mask). Whatever poll reports, the next write tells whether the descriptor is usable.
int waitUntilWritable(int32_t descriptor) {
    PollEntry entry{descriptor, kPollOut, 0};
    for (;;) {
        const int error = errorOf(systemCall(kSysPpoll, reinterpret_cast<long>(&entry), 1, 0, 0));
        if (error != kErrorInterrupted) return error;
    }
}

}  // namespace

int hostWrite(int32_t descriptor, const void* bytes, int32_t length) {
    const char* next = static_cast<const char*>(bytes);
    while (length > 0) {
        const long written =
            systemCall(kSysWrite, descriptor, reinterpret_cast<long>(next), length, 0);
        const int error = errorOf(written);
        if (error == kErrorInterrupted) continue;
        if (error == kErrorAgain) {
            const int pollError = waitUntilWritable(descriptor);
            if (pollError != 0) return pollError;
            continue;
        }
        if (error != 0) return error;
        if (written == 0) return kErrorIo;
        next += written;
        length -= static_cast<int32_t>(written);
    }
    return 0;
}

void hostExit(int32_t status) {
    for (;;)
        systemCall(kSysExitGroup, status, 0, 0, 0);
}

}  // namespace rm

int main();

// Called by _start below. main ends with hostExit; should it ever return, its result is the
// status. (Called from C++, so that each compiler names main its own way: without a hosted
// environment clang gives it an ordinary C++ name.)
extern "C" [[noreturn]] void raymarchEntry() { rm::hostExit(main()); }

// The entry. The kernel starts the program with the stack pointer at the argument count; the
// program reads none of it. Align the stack as the calling convention wants, mark the outermost
// frame, set the floating-point control to its start-up value (round to nearest, every exception
// masked, no flushing of subnormals) so that no host setting can change a bit of the image, and
// call raymarchEntry, which never returns.
#if defined(__x86_64__)
asm(R"(
    .text
    .globl _start
    .type _start, @function
_start:
    xorl %ebp, %ebp
    andq $-16, %rsp
    subq $16, %rsp
    movl $0x1f80, (%rsp)
    ldmxcsr (%rsp)
    addq $16, %rsp
    call raymarchEntry
    hlt
    .size _start, . - _start
)");
#elif defined(__aarch64__)
asm(R"(
    .text
    .globl _start
    .type _start, %function
_start:
    mov x29, #0
    mov x30, #0
    mov x0, sp
    and x0, x0, #-16
    mov sp, x0
    msr fpcr, xzr
    bl raymarchEntry
    brk #0
    .size _start, . - _start
)");
#elif defined(__riscv)
// gp is the global pointer the linker may use for nearby data; it must be set before any other
// instruction could rely on it.
asm(R"(
    .text
    .globl _start
    .type _start, @function
_start:
    .option push
    .option norelax
    lla gp, __global_pointer$
    .option pop
    li s0, 0
    li ra, 0
    andi sp, sp, -16
    fscsr zero
    call raymarchEntry
    unimp
    .size _start, . - _start
)");
#endif
