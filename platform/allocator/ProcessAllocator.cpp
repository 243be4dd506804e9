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

void processAllocatorPreferResidentMemory()
{
    mi_option_set(mi_option_decommit_delay, 0);
    mi_option_set(mi_option_segment_decommit_delay, 0);
    mi_option_enable(mi_option_abandoned_page_decommit);
}

} // namespace corvane
