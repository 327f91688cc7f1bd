# SPDX-License-Identifier: GPL-3.0-or-later
# veltrio_add_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>]
#                  [SANITIZE] [ENVIRONMENT <VAR=value...>] [TIMEOUT <s>])
#
# One GoogleTest executable run as one CTest test. SANITIZE marks a test that the sanitizer
# builds of scripts/test build and run (target `sanitize_tests`, label `sanitize`).
function(veltrio_add_test)
  cmake_parse_arguments(T "SANITIZE" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)  # ServerRequired.h
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set(labels ${T_LABELS})
  if(T_SANITIZE)
    list(APPEND labels sanitize)
    set_property(GLOBAL APPEND PROPERTY VELTRIO_SANITIZE_TESTS ${T_NAME})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${labels}" TIMEOUT ${T_TIMEOUT})
  if(T_ENVIRONMENT)
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
endfunction()

# veltrio_add_fuzzer(NAME <name> SOURCES <files...> LIBS <targets...> CORPUS <dir>)
#
# A libFuzzer target, built only with VELTRIO_FUZZ. scripts/test runs each one for a few seconds
# over its seed corpus (target `fuzz_targets`, label `fuzz`).
function(veltrio_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;CORPUS;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT VELTRIO_FUZZ)
    return()
  endif()
  if(NOT F_SECONDS)
    set(F_SECONDS 20)
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  # Run over a scratch copy of the corpus so that new inputs never land in the tree.
  add_test(NAME ${F_NAME}
           COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                   ${CMAKE_SOURCE_DIR}/scripts/fuzz-run $<TARGET_FILE:${F_NAME}> ${F_CORPUS} ${F_SECONDS})
  set_tests_properties(${F_NAME} PROPERTIES LABELS "fuzz" TIMEOUT 300)
  set_property(GLOBAL APPEND PROPERTY VELTRIO_FUZZ_TARGETS ${F_NAME})
endfunction()

# veltrio_add_benchmark(NAME <name> SOURCES <files...> LIBS <targets...>)
#
# A Google Benchmark program. Not a test: build the `benchmarks` target and run the programs
# (tests/bench/*/bench_*) for their figures.
function(veltrio_add_benchmark)
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT VELTRIO_BENCHMARKS)
    return()
  endif()
  find_package(benchmark REQUIRED)
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
  set_property(GLOBAL APPEND PROPERTY VELTRIO_BENCHMARKS ${B_NAME})
endfunction()

# Called once at the end of the top-level list: the aggregate targets of the sanitizer and fuzz
# builds.
function(veltrio_finish_test_groups)
  get_property(sanitize GLOBAL PROPERTY VELTRIO_SANITIZE_TESTS)
  get_property(fuzz GLOBAL PROPERTY VELTRIO_FUZZ_TARGETS)
  get_property(bench GLOBAL PROPERTY VELTRIO_BENCHMARKS)
  add_custom_target(sanitize_tests)
  add_custom_target(fuzz_targets)
  add_custom_target(benchmarks)
  if(sanitize)
    add_dependencies(sanitize_tests ${sanitize})
  endif()
  if(fuzz)
    add_dependencies(fuzz_targets ${fuzz})
  endif()
  if(bench)
    add_dependencies(benchmarks ${bench})
  endif()
endfunction()
