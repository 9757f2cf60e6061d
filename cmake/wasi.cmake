# Toolchain for WebAssembly (wasm32-wasi, WASI preview 1) with Debian's clang 14, lld 14 and
# wasi-libc: cmake --preset wasm.
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_VERSION 1)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})

set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# For GoogleTest's project, which the unit tests build from its sources.
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)

set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -fno-rtti")
# The renderer needs no C++ library, only wasi-libc. With the stack placed below the static data,
# an overflow traps instead of overwriting the frame buffer.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-nostdlib++ -Wl,--stack-first")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# ctest runs the modules under Node's WASI (scripts/run-wasm.mjs), which lets them read the source
# folder and nothing else; the exact image's hashes are compiled in.
get_filename_component(raymarch_wasi_source ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${raymarch_wasi_source}/scripts/run-wasm.mjs
  --dir ${raymarch_wasi_source})
