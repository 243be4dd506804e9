# corvane_test(<area> SOURCES ... LIBS ...): one GoogleTest executable per area, labelled with
# the area's name so `ctest -L <area>` runs it alone. Every test gets a sandbox of its own.
function(corvane_test area)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  set(target ${area}_tests)
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock corvane_test_support)
  gtest_discover_tests(${target}
    PROPERTIES LABELS ${area}
    ENVIRONMENT "CORVANE_TEST_TMP=${CMAKE_BINARY_DIR}/test-sandboxes"
    DISCOVERY_TIMEOUT 60)
endfunction()
include(GoogleTest)
