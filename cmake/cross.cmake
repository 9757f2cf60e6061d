# Cross-builds with one of Debian's cross compilers, named by its GNU triple. Each target has
# presets (CMakePresets.json) that use this file; its tests run under the emulator set below:
#
#   cmake --preset s390x && cmake --build --preset s390x && ctest --preset s390x
#
# or by hand, with any triple:
#
#   cmake -S . -B build/my-s390x -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/cross.cmake \
#         -DRAYMARCH_CROSS_TRIPLE=s390x-linux-gnu
#   cmake --build build/my-s390x && ctest --test-dir build/my-s390x -L sampled -j2
#
# A cross build needs no GoogleTest for the target: its tests are the golden rows and the
# executable's output (tests/image), and RAYMARCH_UNIT_TESTS stays off. The aarch64 preset turns it
# on, and tests/CMakeLists.txt builds GoogleTest from Debian's sources (package googletest) for the
# fast paths' unit tests, which run under qemu-aarch64 too.
#
# Linux targets use <triple>-g++ (package g++-<triple>) and run under user-mode QEMU (package
# qemu-user):
#
#   qemu-s390x -L /usr/s390x-linux-gnu build/s390x/raymarch >image.tga
#
# x86_64-w64-mingw32 builds a Windows program with MinGW-w64 (package
# g++-mingw-w64-x86-64-posix), linked statically so that it needs no DLL, and runs under Wine
# (package wine64): /usr/lib/wine/wine64 build/windows/raymarch.exe >image.tga
set(RAYMARCH_CROSS_TRIPLE "" CACHE STRING "GNU triple of the cross compiler, e.g. s390x-linux-gnu")
if(NOT RAYMARCH_CROSS_TRIPLE)
  message(FATAL_ERROR "cross.cmake needs -DRAYMARCH_CROSS_TRIPLE=<triple>, e.g. s390x-linux-gnu")
endif()
# CMake reads this file again for its compiler checks; they need the triple too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RAYMARCH_CROSS_TRIPLE)

string(REGEX MATCH "^[^-]+" raymarch_cross_arch "${RAYMARCH_CROSS_TRIPLE}")
set(CMAKE_SYSTEM_PROCESSOR ${raymarch_cross_arch})

if(RAYMARCH_CROSS_TRIPLE MATCHES "mingw32$")
  set(CMAKE_SYSTEM_NAME Windows)
  # The posix flavour of the compiler; its runtime comes in with the static link.
  set(CMAKE_CXX_COMPILER ${RAYMARCH_CROSS_TRIPLE}-g++-posix)
  set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
else()
  set(CMAKE_SYSTEM_NAME Linux)
  set(CMAKE_CXX_COMPILER ${RAYMARCH_CROSS_TRIPLE}-g++)
  set(CMAKE_C_COMPILER ${RAYMARCH_CROSS_TRIPLE}-gcc)
  # QEMU names some of its emulators differently from the triple.
  set(raymarch_qemu_arch ${raymarch_cross_arch})
  if(raymarch_cross_arch MATCHES "^i[3-6]86$")
    set(raymarch_qemu_arch i386)
  elseif(raymarch_cross_arch MATCHES "^powerpc(64|64le)?$")
    string(REPLACE "powerpc" "ppc" raymarch_qemu_arch ${raymarch_cross_arch})
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${raymarch_qemu_arch} -L /usr/${RAYMARCH_CROSS_TRIPLE})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${RAYMARCH_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
