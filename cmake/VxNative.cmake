# Native flavour: the portable core only, built with clang so the same tree
# gives sanitized unit tests, libFuzzer targets and benchmarks.
find_package(GTest REQUIRED)
find_package(benchmark QUIET)
set(VX_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
add_compile_options(${VX_SANITIZE})
add_link_options(${VX_SANITIZE})
# Every native object carries libFuzzer's coverage instrumentation, so a fuzz
# target sees the edges of the core libraries it links, not only its own
# file. Programs linked without -fsanitize=fuzzer (the unit tests and
# benchmarks) get the sanitizer runtime's no-op coverage callbacks.
add_compile_options(-fsanitize=fuzzer-no-link)

# vx_native_test(<target> SOURCES ... LIBS ...)
function(vx_native_test target)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  vx_warnings(${target})
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

# vx_fuzz_target(<name> SOURCES ... LIBS ... CORPUS dir)
# A libFuzzer program, run by ctest for a bounded time over its seed corpus.
set(VX_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz target runs under ctest")
function(vx_fuzz_target name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  vx_warnings(${name})
  set(work ${CMAKE_BINARY_DIR}/fuzz-work/${name})
  file(MAKE_DIRECTORY ${work})
  add_test(NAME ${name}
           COMMAND ${name} -max_total_time=${VX_FUZZ_SECONDS} -timeout=5 -rss_limit_mb=2048
                   -print_final_stats=0 ${work} ${F_CORPUS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
