# For builds that need only bench/raymarch_rows, above all the aarch64 cross build that runs under
# emulation: Google Benchmark is seldom installed for the target, and raymarch_rows does not use it.
# Given as CMAKE_PROJECT_TOP_LEVEL_INCLUDES, this answers find_package(benchmark) with an empty
# target, so such a build must not build raymarch_bench. Every other package is found as usual.
macro(raymarch_find_without_benchmark method package)
  if("${package}" STREQUAL "benchmark")
    set(benchmark_FOUND TRUE)
    if(NOT TARGET benchmark::benchmark)
      add_library(benchmark::benchmark INTERFACE IMPORTED)
    endif()
  else()
    find_package(${package} ${ARGN} BYPASS_PROVIDER)
  endif()
endmacro()

cmake_language(SET_DEPENDENCY_PROVIDER raymarch_find_without_benchmark SUPPORTED_METHODS FIND_PACKAGE)
