# SPDX-License-Identifier: GPL-3.0-or-later
# Build options shared by every target. None of them overrides a choice the user made on the
# command line: they only add flags.

option(VELTRIO_WERROR "Treat compiler warnings as errors" "$ENV{CI}")
set(VELTRIO_SANITIZE "" CACHE STRING
    "Comma-separated sanitizers to build with, e.g. address,undefined or thread")
option(VELTRIO_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(VELTRIO_BENCHMARKS "Build the Google Benchmark programs" ON)

add_compile_options(-Wall -Wextra)
if(VELTRIO_WERROR)
  add_compile_options(-Werror)
endif()

if(VELTRIO_SANITIZE)
  add_compile_options(-fsanitize=${VELTRIO_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${VELTRIO_SANITIZE})
endif()

if(VELTRIO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VELTRIO_FUZZ needs clang (configure with CXX=clang++)")
  endif()
  # Coverage feedback for the code under test; the fuzz targets add the libFuzzer main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
