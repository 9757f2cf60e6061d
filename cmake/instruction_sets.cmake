# The registry of instruction sets beyond the plain one: one raymarch_instruction_set line a set,
# in level order. Everything else about the sets is generated from it: the SimdLevel enum, the
# names, the processor probes and the list of kernel tables (simd/instruction_sets.h in the build
# folder, for src/simd/simd_level.*), and the list scripts read (instruction-sets.txt). A set also
# has its lane operations, src/simd/lane_ops_NAME.h, and its kernels, src/render/kernels_NAME.cpp,
# which defines the table rm::NAME::kKernels in the namespace rm::NAME.
#
# raymarch_instruction_set(NAME LEVEL Enumerator DISPLAY "name for people" WHEN variable
#                          PROBE "C++ expression" [OPTIONS compile options...])
#   WHEN names a variable true where the set is built; PROBE is true on a processor that runs it,
#   built from the probes in src/simd/simd_level.cpp; OPTIONS compile the kernels file alone.

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(raymarch_on_x86_64 ON)
endif()
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64|ARM64)$")
  set(raymarch_on_aarch64 ON)
endif()
# The second WebAssembly module uses the 128-bit SIMD instructions throughout, for hosts that have
# them; its lane code switches on with them.
if(CMAKE_SYSTEM_NAME STREQUAL "WASI")
  option(RAYMARCH_WASM_SIMD "Build the WebAssembly module with 128-bit SIMD (-msimd128)" OFF)
  if(RAYMARCH_WASM_SIMD)
    target_compile_options(raymarch_core PUBLIC -msimd128)
    set(raymarch_on_wasm_simd ON)
  endif()
endif()

set(raymarch_levels "X(scalar, Scalar, \"scalar\")")
set(raymarch_kernel_sets "")
set(raymarch_probes "")
set(raymarch_set_lines "scalar Scalar built scalar")

function(raymarch_instruction_set name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LEVEL;DISPLAY;WHEN;PROBE" "OPTIONS")
  if(NOT name MATCHES "^[a-z][a-z0-9_]*$" OR NOT arg_LEVEL MATCHES "^[A-Z][A-Za-z0-9]*$" OR
     NOT arg_DISPLAY OR NOT arg_WHEN OR NOT arg_PROBE)
    message(FATAL_ERROR "raymarch_instruction_set(${name}): needs a lower-case name, LEVEL, "
                        "DISPLAY, WHEN and PROBE")
  endif()
  string(APPEND raymarch_levels " X(${name}, ${arg_LEVEL}, \"${arg_DISPLAY}\")")
  if(${arg_WHEN})
    target_sources(raymarch_core PRIVATE src/render/kernels_${name}.cpp)
    set_source_files_properties(src/render/kernels_${name}.cpp PROPERTIES
      COMPILE_OPTIONS "${arg_OPTIONS}")
    string(APPEND raymarch_kernel_sets " X(${name}, ${arg_LEVEL})")
    string(APPEND raymarch_probes " X(${arg_LEVEL}, (${arg_PROBE}))")
    string(APPEND raymarch_set_lines "\n${name} ${arg_LEVEL} built ${arg_DISPLAY}")
  else()
    string(APPEND raymarch_set_lines "\n${name} ${arg_LEVEL} - ${arg_DISPLAY}")
  endif()
  set(raymarch_levels "${raymarch_levels}" PARENT_SCOPE)
  set(raymarch_kernel_sets "${raymarch_kernel_sets}" PARENT_SCOPE)
  set(raymarch_probes "${raymarch_probes}" PARENT_SCOPE)
  set(raymarch_set_lines "${raymarch_set_lines}" PARENT_SCOPE)
endfunction()

# x86-64: the probe's arguments are the bits cpuid must report in leaf 1's ecx and leaf 7's ebx,
# and the register states XCR0 must show the operating system saving.
raymarch_instruction_set(avx2 LEVEL Avx2 DISPLAY "AVX2" WHEN raymarch_on_x86_64
  PROBE "x86Has(0x18000000u /* OSXSAVE, AVX */, 0x20u /* AVX2 */, 0x6u /* SSE, AVX */)"
  OPTIONS -mavx2)
# GCC's AVX-512 headers start some results from _mm512_undefined_*(), which its
# maybe-uninitialized analysis reports inside the headers themselves.
raymarch_instruction_set(avx512 LEVEL Avx512 DISPLAY "AVX-512" WHEN raymarch_on_x86_64
  PROBE "x86Has(0x18000000u, 0x80030020u /* AVX2, F, DQ, VL */, 0xe6u /* and mask, ZMM */)"
  OPTIONS -mavx2 -mavx512f -mavx512vl -mavx512dq
          $<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>)
# Every AArch64 processor has Advanced SIMD. GCC reloads each vector constant of the march from the
# literal pool through a fresh page address wherever registers run short; literals placed beside
# the code load in one instruction.
raymarch_instruction_set(neon LEVEL Neon DISPLAY "Advanced SIMD" WHEN raymarch_on_aarch64
  PROBE "true" OPTIONS $<$<CXX_COMPILER_ID:GNU>:-mpc-relative-literal-loads>)
# WebAssembly has no run-time test for its vector instructions: a module built with them runs only
# where the host has them.
raymarch_instruction_set(simd128 LEVEL Simd128 DISPLAY "WebAssembly SIMD"
  WHEN raymarch_on_wasm_simd PROBE "true")

file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/generated/simd/instruction_sets.h CONTENT
"#pragma once
// Generated from cmake/instruction_sets.cmake.

// Every registered level, the plain one first, as X(name, Enumerator, \"display name\").
#define RAYMARCH_FOR_EACH_SIMD_LEVEL(X) ${raymarch_levels}

// The sets with a kernel table in this build, as X(name, Enumerator): the table rm::name::kKernels.
#define RAYMARCH_FOR_EACH_KERNEL_SET(X)${raymarch_kernel_sets}

// Whether this processor runs each set built here, as X(Enumerator, expression).
#define RAYMARCH_FOR_EACH_SIMD_PROBE(X)${raymarch_probes}
")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/instruction-sets.txt CONTENT
"# name, level, built here (or -), display name
${raymarch_set_lines}
")
target_include_directories(raymarch_core PUBLIC ${PROJECT_BINARY_DIR}/generated)
