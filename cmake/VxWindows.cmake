# Windows flavours: GoogleTest cross-built from Debian's sources, tests run
# under Wine through the runner script with one persistent wineserver.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
# Resource scripts are UTF-8 and use the Windows SDK macros.
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

# Tests that make sense on one architecture only; every other Windows test
# runs on both. One line each: test (or test family) and the architecture.
#   osd_timing        timing of the shows on three X screens: measured once
#   vxosd_leak_tests  10 000 show/hide cycles per display (200 s), the same
#                     code on both
#   screen_sizes      the VXOSD suites again on a 1280 x 1024 screen
#   dpi_runs          the VXOSD suites again at 144 and 192 DPI
set(VX_ONE_ARCH_TESTS osd_timing=x64 vxosd_leak_tests=x64 screen_sizes=x64 dpi_runs=x64)

# vx_test_wanted(<name> <out-var>): whether <name> runs on this architecture.
function(vx_test_wanted name out)
  set(wanted TRUE)
  foreach(entry IN LISTS VX_ONE_ARCH_TESTS)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 test)
    list(GET pair 1 arch)
    if(test STREQUAL name AND NOT arch STREQUAL VX_ARCH)
      set(wanted FALSE)
    endif()
  endforeach()
  set(${out} ${wanted} PARENT_SCOPE)
endfunction()

# Exit code of a Windows test that was not run: an x86 program on a machine
# that cannot run 32-bit code (scripts/wine-run decides once per run).
set(VX_SKIPPED 77)

# vx_wine_test_properties(<test> [properties...]): sets the properties every
# test run under Wine shares, plus the ones given.
function(vx_wine_test_properties test)
  set_tests_properties(${test} PROPERTIES SKIP_RETURN_CODE ${VX_SKIPPED} ${ARGN})
endfunction()

if(VX_RUN_TESTS)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

  # x86 trees first ask whether this machine runs 32-bit code at all; the
  # answer holds for the whole ctest run. Where it cannot, the fixtures and
  # tests below exit with VX_SKIPPED.
  set(x86_flag "")
  if(VX_ARCH STREQUAL "x86")
    set(x86_flag --x86)
    add_executable(x86_probe ${CMAKE_SOURCE_DIR}/tests/support/x86_probe.c)
    add_test(NAME wine.x86.probe COMMAND ${VX_WINE_RUN} --prefix ${VX_WINE_PREFIX} --probe $<TARGET_FILE:x86_probe>)
    set_tests_properties(wine.x86.probe PROPERTIES FIXTURES_SETUP x86_probe TIMEOUT 300)
  endif()

  # One wineserver per prefix for the whole ctest run: started by a
  # fixture, stopped at the end; every Windows test requires its fixture.
  # The plain prefix has the null graphics driver, the X11 one a private
  # Xvfb screen, the audio one a private PulseAudio null sink as its sound
  # card.
  foreach(kind plain x11 audio)
    set(name wine)
    set(flag "")
    set(fixture wine)
    if(NOT kind STREQUAL "plain")
      set(name wine.${kind})
      set(flag --${kind})
      set(fixture wine_${kind})
    endif()
    add_test(NAME ${name}.start COMMAND ${VX_WINE_RUN} --prefix ${VX_WINE_PREFIX} ${flag} ${x86_flag} --start)
    add_test(NAME ${name}.stop COMMAND ${VX_WINE_RUN} --prefix ${VX_WINE_PREFIX} ${flag} --stop)
    vx_wine_test_properties(${name}.start FIXTURES_SETUP ${fixture} TIMEOUT 120)
    vx_wine_test_properties(${name}.stop FIXTURES_CLEANUP ${fixture} TIMEOUT 60)
    if(VX_ARCH STREQUAL "x86")
      set_tests_properties(${name}.start PROPERTIES FIXTURES_REQUIRED x86_probe)
    endif()
  endforeach()
endif()

# vx_windows_test(<target> SOURCES ... [LIBS ...] [TIMEOUT s] [X11] [AUDIO])
# Builds a GoogleTest program and registers it with ctest under Wine. X11
# tests run in the second prefix on a private Xvfb screen; AUDIO tests in a
# third prefix whose sound card is a private PulseAudio null sink.
function(vx_windows_test target)
  if(NOT VX_RUN_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "X11;AUDIO" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  vx_test_wanted(${target} wanted)
  if(NOT wanted)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(T_AUDIO)
    add_test(NAME ${target} COMMAND ${VX_WINE_RUN} --prefix ${VX_WINE_PREFIX} --audio -- $<TARGET_FILE:${target}>)
    vx_wine_test_properties(${target} FIXTURES_REQUIRED wine_audio TIMEOUT ${T_TIMEOUT})
  elseif(T_X11)
    add_test(NAME ${target} COMMAND ${VX_WINE_RUN} --prefix ${VX_WINE_PREFIX} --x11 -- $<TARGET_FILE:${target}>)
    vx_wine_test_properties(${target} FIXTURES_REQUIRED wine_x11 RESOURCE_LOCK x11 TIMEOUT ${T_TIMEOUT})
  else()
    add_test(NAME ${target} COMMAND ${VX_WINE_RUN} --prefix ${VX_WINE_PREFIX} -- $<TARGET_FILE:${target}>)
    vx_wine_test_properties(${target} FIXTURES_REQUIRED wine TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()

# vx_dll(<target> OUTPUT_NAME name DEF file SOURCES ... [ENTRY ...] [RESOURCES ...] [LIBS ...])
# A deliverable DLL: its objects also form <target>_static for tests, its
# exports come from the .def file so names stay undecorated on x86; ENTRY
# sources (DllMain) go into the DLL only.
function(vx_dll target)
  cmake_parse_arguments(D "" "DEF;OUTPUT_NAME" "SOURCES;ENTRY;RESOURCES;LIBS" ${ARGN})
  add_library(${target}_objects OBJECT ${D_SOURCES})
  target_link_libraries(${target}_objects PUBLIC ${D_LIBS})
  vx_warnings(${target}_objects)
  add_library(${target}_static STATIC $<TARGET_OBJECTS:${target}_objects>)
  target_link_libraries(${target}_static PUBLIC ${target}_objects ${D_LIBS})
  set(def ${D_DEF})
  if(VX_ARCH STREQUAL "x86")
    get_filename_component(def_name ${D_DEF} NAME)
    set(def ${CMAKE_CURRENT_BINARY_DIR}/${def_name})
    add_custom_command(OUTPUT ${def}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/decorate-def ${CMAKE_NM} ${D_DEF} ${def} $<TARGET_OBJECTS:${target}_objects>
      DEPENDS ${D_DEF} ${target}_objects $<TARGET_OBJECTS:${target}_objects> ${CMAKE_SOURCE_DIR}/scripts/decorate-def
      COMMAND_EXPAND_LISTS VERBATIM)
  endif()
  add_library(${target} SHARED $<TARGET_OBJECTS:${target}_objects> ${D_ENTRY} ${def} ${D_RESOURCES})
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${D_LIBS})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${D_OUTPUT_NAME})
  # --kill-at drops the stdcall @N suffix from exported names on x86; the
  # import library keeps decorated symbols that map to them.
  target_link_options(${target} PRIVATE -Wl,--kill-at -Wl,--enable-stdcall-fixup)
  if(VX_ARCH STREQUAL "x86")
    # ld writes plain names into the import library as well; rebuild it from
    # the decorated .def so that callers' Name@N symbols resolve.
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${VX_MINGW_TRIPLE}-dlltool -k -d ${def} -D ${D_OUTPUT_NAME}.dll -l $<TARGET_LINKER_FILE:${target}>
      VERBATIM)
  endif()
endfunction()

# vx_static_check(<target> [HEADER export-header] [MANIFEST])
# Registers the static check of a built binary (machine type, exports equal
# to the header, system-DLL imports, manifest) for this build's architecture.
function(vx_static_check target)
  cmake_parse_arguments(S "MANIFEST" "HEADER" "" ${ARGN})
  set(extra "")
  if(S_MANIFEST)
    set(extra --manifest)
  endif()
  add_test(NAME static.${VX_ARCH}.${target}
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-binary ${VX_ARCH} $<TARGET_FILE:${target}> "${S_HEADER}" ${extra})
  set_tests_properties(static.${VX_ARCH}.${target} PROPERTIES TIMEOUT 60)
endfunction()
