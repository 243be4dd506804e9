# The process allocator. Decoded replies and view trees are many small objects made and released
# together, which the C library's allocator handles poorly; every executable the project ships or
# measures (the client, its tools, tests and benchmarks) links `corvane_allocator`. Sanitizer and
# fuzzing builds keep the sanitizers' own allocator.
add_library(corvane_allocator INTERFACE)
if(NOT SANITIZE AND NOT FUZZ)
  find_package(mimalloc REQUIRED)
  # The source refers to the library, so the linker keeps it even with --as-needed; its malloc
  # and operator new then come before the C library's.
  target_sources(corvane_allocator INTERFACE ${PROJECT_SOURCE_DIR}/platform/allocator/ProcessAllocator.cpp)
  target_link_libraries(corvane_allocator INTERFACE mimalloc)
  target_compile_definitions(corvane_allocator INTERFACE CORVANE_PROCESS_ALLOCATOR=1)
endif()
