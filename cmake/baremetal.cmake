# Toolchain for the bare-metal program: the freestanding renderer (cmake/freestanding.cmake's
# flags) on a machine with no operating system, with its own reset entry and memory map
# (src/app/baremetal/) and the two host services through semihosting
# (src/app/host_semihosting.cpp). RAYMARCH_BAREMETAL_MACHINE names the machine:
#
#   riscv64-virt  QEMU's virt, RV64GC in machine mode: riscv64-linux-gnu-g++ (g++-riscv64-linux-gnu)
#   riscv32-virt  QEMU's virt, RV32GC in machine mode: clang++-14 --target=riscv32-unknown-elf,
#                 ld.lld-14 (clang-14, lld-14, llvm-14)
#   aarch64-virt  QEMU's virt, Cortex-A53 at EL1: aarch64-linux-gnu-g++ (g++-aarch64-linux-gnu)
#   arm-virt      QEMU's virt, Cortex-A15 (ARMv7-A, VFPv3-D16 arithmetic) in SVC mode, ARM state:
#                 arm-none-eabi-g++ (gcc-arm-none-eabi)
#   mps2-an386    Arm's MPS2 board with the AN386 image, Cortex-M4 with its single-precision FPU,
#                 Thumb: arm-none-eabi-g++ (gcc-arm-none-eabi), the doubles in libgcc's software
#                 floating point; with RAYMARCH_SMALL_MEMORY (the preset) its data and stack in
#                 64 KiB of the board's SRAM, without it in its 16 MiB PSRAM
#
# each run by qemu-system-<processor> (qemu-system-misc, qemu-system-arm) as the tests' emulator.
# The presets baremetal-<machine> use it; by hand:
#   cmake -S . -B build/bm -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/baremetal.cmake \
#         -DRAYMARCH_BAREMETAL_MACHINE=riscv32-virt
# A new machine adds its compiler flags, its linker script and its QEMU command line here.
set(RAYMARCH_BAREMETAL_MACHINE "" CACHE STRING
  "Machine of the bare-metal program: riscv64-virt, riscv32-virt, aarch64-virt, arm-virt or mps2-an386")
set(raymarch_baremetal_machines riscv64-virt riscv32-virt aarch64-virt arm-virt mps2-an386)
if(NOT RAYMARCH_BAREMETAL_MACHINE IN_LIST raymarch_baremetal_machines)
  message(FATAL_ERROR "baremetal.cmake needs -DRAYMARCH_BAREMETAL_MACHINE= one of: "
    "${raymarch_baremetal_machines}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RAYMARCH_BAREMETAL_MACHINE)

set(RAYMARCH_FREESTANDING ON)
set(RAYMARCH_BAREMETAL ON)
set(CMAKE_SYSTEM_NAME Generic)
if(RAYMARCH_BAREMETAL_MACHINE MATCHES "^mps2")
  set(CMAKE_SYSTEM_PROCESSOR arm)
else()
  string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${RAYMARCH_BAREMETAL_MACHINE})
endif()
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(raymarch_baremetal_dir ${CMAKE_CURRENT_LIST_DIR}/../src/app/baremetal)
get_filename_component(raymarch_baremetal_dir ${raymarch_baremetal_dir} ABSOLUTE)

# As cmake/freestanding.cmake; each function and object in a section of its own, so that the linker
# drops what nothing calls, and the compilers' frame sizes in a .su file beside each object.
set(RAYMARCH_FREESTANDING_COMPILE_OPTIONS -ffreestanding -fno-exceptions -fno-rtti
  -fno-unwind-tables -fno-asynchronous-unwind-tables -fno-threadsafe-statics
  -fno-stack-protector -fno-pie)
# The linker map (build/<preset>/raymarch.map, one for each program) tells where every section went.
set(RAYMARCH_FREESTANDING_LINK_OPTIONS -nostdlib -static -no-pie -L${raymarch_baremetal_dir}
  -Wl,--gc-sections -Wl,-Map=$<TARGET_PROPERTY:NAME>.map -Wl,--build-id=none)
# GCC writes the call graph with the frames too (a .ci file), from which the memory check finds the
# deepest chain of calls; clang has no such option.
list(APPEND RAYMARCH_FREESTANDING_COMPILE_OPTIONS -ffunction-sections -fdata-sections
  -fstack-usage -fcallgraph-info=su)
set(RAYMARCH_FREESTANDING_LIBRARIES gcc)
set(RAYMARCH_FREESTANDING_HELPERS OFF)

set(qemu_common -nographic -monitor none -serial none -semihosting-config enable=on,target=native)
if(RAYMARCH_BAREMETAL_MACHINE MATCHES "^riscv")
  set(RAYMARCH_BAREMETAL_LINKER_SCRIPT qemu-virt-riscv.ld)
  # medany: the program lies at 0x80000000, beyond the lowest 2 GiB that medlow code can address.
  list(APPEND RAYMARCH_FREESTANDING_COMPILE_OPTIONS -mcmodel=medany)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-system-${CMAKE_SYSTEM_PROCESSOR} -M virt -bios none
    ${qemu_common} -kernel)
  if(RAYMARCH_BAREMETAL_MACHINE STREQUAL "riscv32-virt")
    set(CMAKE_CXX_COMPILER clang++-14)
    set(CMAKE_CXX_COMPILER_TARGET riscv32-unknown-elf)
    set(CMAKE_AR llvm-ar-14)
    set(CMAKE_RANLIB llvm-ranlib-14)
    list(APPEND RAYMARCH_FREESTANDING_COMPILE_OPTIONS -march=rv32gc -mabi=ilp32d)
    # clang links no position-independent program for this target anyway, and would warn of -no-pie.
    list(REMOVE_ITEM RAYMARCH_FREESTANDING_LINK_OPTIONS -no-pie)
    list(REMOVE_ITEM RAYMARCH_FREESTANDING_COMPILE_OPTIONS -fcallgraph-info=su)
    list(APPEND RAYMARCH_FREESTANDING_LINK_OPTIONS -march=rv32gc -mabi=ilp32d -fuse-ld=lld)
    set(RAYMARCH_FREESTANDING_LIBRARIES "")
    set(RAYMARCH_FREESTANDING_HELPERS ON)
  else()
    set(CMAKE_CXX_COMPILER riscv64-linux-gnu-g++)
  endif()
elseif(RAYMARCH_BAREMETAL_MACHINE STREQUAL "mps2-an386")
  # The small-memory program in 64 KiB of SRAM, as on a microcontroller; the one with the frame
  # buffer in the board's PSRAM.
  if(RAYMARCH_SMALL_MEMORY)
    set(RAYMARCH_BAREMETAL_LINKER_SCRIPT mps2-an386.ld)
  else()
    set(RAYMARCH_BAREMETAL_LINKER_SCRIPT mps2-an386-psram.ld)
  endif()
  set(CMAKE_CXX_COMPILER arm-none-eabi-g++)
  # FPv4-SP computes floats only: libgcc's software floating point does every double operation,
  # correctly rounded, and src/math/square_root.h the square root of doubles.
  set(raymarch_arm_options -mthumb -mcpu=cortex-m4 -mfpu=fpv4-sp-d16 -mfloat-abi=hard)
  list(APPEND RAYMARCH_FREESTANDING_COMPILE_OPTIONS ${raymarch_arm_options})
  list(APPEND RAYMARCH_FREESTANDING_LINK_OPTIONS ${raymarch_arm_options})
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-system-arm -M mps2-an386 ${qemu_common} -kernel)
else()
  set(RAYMARCH_BAREMETAL_LINKER_SCRIPT qemu-virt-arm.ld)
  # With the memory management unit off, every data access is to device memory, where an
  # unaligned access faults: the compiler must not make any.
  if(RAYMARCH_BAREMETAL_MACHINE STREQUAL "aarch64-virt")
    set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
    list(APPEND RAYMARCH_FREESTANDING_COMPILE_OPTIONS -mstrict-align)
    set(CMAKE_CROSSCOMPILING_EMULATOR qemu-system-aarch64 -M virt -cpu cortex-a53
      ${qemu_common} -kernel)
  else()
    set(CMAKE_CXX_COMPILER arm-none-eabi-g++)
    # No 32-bit Arm vector unit: its arithmetic flushes subnormal numbers to zero whatever FPSCR says.
    set(raymarch_arm_options -marm -march=armv7-a+fp -mfloat-abi=hard -mno-unaligned-access)
    list(APPEND RAYMARCH_FREESTANDING_COMPILE_OPTIONS ${raymarch_arm_options})
    list(APPEND RAYMARCH_FREESTANDING_LINK_OPTIONS ${raymarch_arm_options})
    set(CMAKE_CROSSCOMPILING_EMULATOR qemu-system-arm -M virt -cpu cortex-a15
      ${qemu_common} -kernel)
  endif()
endif()
list(APPEND RAYMARCH_FREESTANDING_LINK_OPTIONS -T ${RAYMARCH_BAREMETAL_LINKER_SCRIPT})
set(RAYMARCH_BAREMETAL_SOURCES src/app/baremetal/reset.cpp)
if(NOT DEFINED RAYMARCH_BAREMETAL_STACK_LIMIT)
  set(RAYMARCH_BAREMETAL_STACK_LIMIT 16384)
endif()

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
