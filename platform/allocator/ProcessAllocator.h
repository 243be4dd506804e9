#pragma once
// The allocator every shipped or measured executable runs on (see cmake/Allocator.cmake). Only
// executables linking corvane_allocator outside sanitizer builds define these.

namespace corvane {

// Whether the block came from the process allocator rather than the C library's.
bool processAllocatorOwns(const void* pointer);
int processAllocatorVersion();
// For a long-running interactive process: freed pages go back to the system at once rather than
// after the allocator's delays, and the free pages of threads that have ended go back too. A
// screen frees its bitmaps while the next one is drawn, and Pango sorts fonts on short-lived
// threads, so with the default delays the client held 12 MB more at its home screen than with
// the C library's allocator. Costs some speed on heavy alloc/free churn: benchmarks leave it off.
void processAllocatorPreferResidentMemory();

} // namespace corvane
