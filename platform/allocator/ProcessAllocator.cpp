// Compiled into every executable that links corvane_allocator (cmake/Allocator.cmake).
#include "platform/allocator/ProcessAllocator.h"

#include <mimalloc.h>

namespace corvane {

bool processAllocatorOwns(const void* pointer)
{
    return mi_is_in_heap_region(pointer);
}

int processAllocatorVersion()
{
    return mi_version();
}

} // namespace corvane
