# Toolchain for the freestanding program: the renderer with no C library, no C++ runtime and no
# start-up files of the system, on Linux by raw system calls (src/app/host_linux_syscall.cpp).
# RAYMARCH_FREESTANDING_TARGET names the processor:
#
#   x86_64    g++ (native)
#   aarch64   aarch64-linux-gnu-g++ (package g++-aarch64-linux-gnu), run by qemu-aarch64
#   riscv64   riscv64-linux-gnu-g++ (package g++-riscv64-linux-gnu), run by qemu-riscv64
#   riscv32   clang++-14 --target=riscv32-unknown-elf, RV32GC with hardware doubles, linked by
#             ld.lld-14 (packages clang-14, lld-14, llvm-14), run by qemu-riscv32
#
# The presets freestanding-<target> use it; by hand:
#   cmake -S . -B build/fs -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/freestanding.cmake \
#         -DRAYMARCH_FREESTANDING_TARGET=riscv32
set(RAYMARCH_FREESTANDING_TARGET "" CACHE STRING
  "Processor of the freestanding program: x86_64, aarch64, riscv64 or riscv32")
set(raymarch_freestanding_targets x86_64 aarch64 riscv64 riscv32)
if(NOT RAYMARCH_FREESTANDING_TARGET IN_LIST raymarch_freestanding_targets)
  message(FATAL_ERROR "freestanding.cmake needs -DRAYMARCH_FREESTANDING_TARGET= one of: "
    "${raymarch_freestanding_targets}")
endif()
# CMake reads this file again for its compiler checks; they need the target too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RAYMARCH_FREESTANDING_TARGET)

set(RAYMARCH_FREESTANDING ON)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${RAYMARCH_FREESTANDING_TARGET})
# There is no C library to link a test program against: the compiler checks build a library.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# The flags below travel in the core library's interface (CMakeLists.txt), so that flags given on
# the command line (CMAKE_CXX_FLAGS) add to them rather than replace them. No exceptions, run-time
# types, unwind tables, thread-safe statics or stack protector: each would need a runtime. Not
# position-independent: a static program with no dynamic section.
set(RAYMARCH_FREESTANDING_COMPILE_OPTIONS -ffreestanding -fno-exceptions -fno-rtti
  -fno-unwind-tables -fno-asynchronous-unwind-tables -fno-threadsafe-statics
  -fno-stack-protector -fno-pie)
set(RAYMARCH_FREESTANDING_LINK_OPTIONS -nostdlib -static)

if(RAYMARCH_FREESTANDING_TARGET STREQUAL "riscv32")
  # Debian has no riscv32 C library or GCC, and clang has no support library for it here: the
  # compiler's helpers come from src/app/freestanding_runtime.cpp.
  set(CMAKE_CXX_COMPILER clang++-14)
  set(CMAKE_CXX_COMPILER_TARGET riscv32-unknown-elf)
  set(CMAKE_AR llvm-ar-14)
  set(CMAKE_RANLIB llvm-ranlib-14)
  list(APPEND RAYMARCH_FREESTANDING_COMPILE_OPTIONS -march=rv32gc -mabi=ilp32d)
  list(APPEND RAYMARCH_FREESTANDING_LINK_OPTIONS -march=rv32gc -mabi=ilp32d -fuse-ld=lld)
  set(RAYMARCH_FREESTANDING_LIBRARIES "")
  set(RAYMARCH_FREESTANDING_HELPERS ON)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-riscv32)
else()
  if(RAYMARCH_FREESTANDING_TARGET STREQUAL "x86_64")
    set(CMAKE_CXX_COMPILER g++)
  else()
    set(CMAKE_CXX_COMPILER ${RAYMARCH_FREESTANDING_TARGET}-linux-gnu-g++)
    set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${RAYMARCH_FREESTANDING_TARGET})
  endif()
  # Text apart from the writable data: the default layout of riscv64 maps it all writable.
  list(APPEND RAYMARCH_FREESTANDING_LINK_OPTIONS -no-pie -Wl,-z,separate-code)
  # GCC's own helpers, should the compiler call any, come from its support library.
  set(RAYMARCH_FREESTANDING_LIBRARIES gcc)
  set(RAYMARCH_FREESTANDING_HELPERS OFF)
endif()

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
