#pragma once
// The allocator every shipped or measured executable runs on (see cmake/Allocator.cmake). Only
// executables linking corvane_allocator outside sanitizer builds define these.

namespace corvane {

// Whether the block came from the process allocator rather than the C library's.
bool processAllocatorOwns(const void* pointer);
int processAllocatorVersion();

} // namespace corvane
