# The process allocator. Decoded replies and view trees are many small objects made and released
# together, which the C library's allocator handles poorly; every executable the project ships or
# measures (the client, its tools, tests and benchmarks) links `corvane_allocator`. Sanitizer and
# fuzzing builds keep the sanitizers' own allocator, and take the leak checker's suppressions.
add_library(corvane_allocator INTERFACE)
if(NOT SANITIZE AND NOT FUZZ)
  find_package(mimalloc REQUIRED)
  # The source refers to the library, so the linker keeps it even with --as-needed; its malloc
  # and operator new then come before the C library's.
  target_sources(corvane_allocator INTERFACE ${PROJECT_SOURCE_DIR}/platform/allocator/ProcessAllocator.cpp)
  target_link_libraries(corvane_allocator INTERFACE mimalloc)
  target_compile_definitions(corvane_allocator INTERFACE CORVANE_PROCESS_ALLOCATOR=1)
else()
  target_sources(corvane_allocator INTERFACE ${PROJECT_SOURCE_DIR}/platform/allocator/LeakCheckSuppressions.cpp)
endif()

# Once every directory is read: the list of the project's executables, for the test that looks in
# each for the allocator (tests/foundation/ExecutablesAllocatorTests.cpp), which is built after them.
function(corvane_list_executables)
  if(NOT TARGET executables_allocator_tests)
    return()
  endif()
  set(directories ${PROJECT_SOURCE_DIR})
  set(executables)
  set(lines)
  while(directories)
    list(POP_FRONT directories directory)
    get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    list(APPEND directories ${subdirectories})
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      if(type STREQUAL "EXECUTABLE" AND NOT target STREQUAL "executables_allocator_tests")
        list(APPEND executables ${target})
        string(APPEND lines "${target} $<TARGET_FILE:${target}>\n")
      endif()
    endforeach()
  endwhile()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/executables.txt CONTENT "${lines}")
  add_dependencies(executables_allocator_tests ${executables})
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL corvane_list_executables)
