# corvane_test(<area> SOURCES ... LIBS ... [LABEL <label>]): one GoogleTest executable per area,
# labelled with the area's name (or LABEL) so `ctest -L <label>` runs it alone. Every test process
# gets a sandbox of its own (tests/support/TestMain.cpp).
function(corvane_test area)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL ${area})
  endif()
  set(target ${area}_tests)
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock corvane_test_support corvane_allocator)
  gtest_discover_tests(${target}
    PROPERTIES LABELS ${ARG_LABEL}
    ENVIRONMENT "CORVANE_TEST_TMP=${CMAKE_BINARY_DIR}/test-sandboxes"
    DISCOVERY_TIMEOUT 60)
endfunction()
include(GoogleTest)

# corvane_fuzzer(<name> SOURCES ... LIBS ...): a libFuzzer target, built only by a clang FUZZ build.
function(corvane_fuzzer name)
  if(NOT FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()
