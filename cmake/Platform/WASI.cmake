# The WASI platform, for CMake releases that ship none: static linking only, and executables are
# WebAssembly modules named *.wasm. Loaded through cmake/wasi.cmake.
set(WASI 1)
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
set_property(GLOBAL PROPERTY TARGET_SUPPORTS_SHARED_LIBS FALSE)
