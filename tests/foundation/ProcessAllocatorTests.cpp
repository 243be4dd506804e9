#include "platform/allocator/ProcessAllocator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#if CORVANE_PROCESS_ALLOCATOR
// malloc, operator new and the standard containers all come from the process allocator, not the
// C library's, in every build but the sanitizers'.
TEST(ProcessAllocator, servesMallocNewAndContainers)
{
    void* block = std::malloc(24);
    auto object = std::make_shared<int>(3);
    const std::string text(100, 'x');
    EXPECT_TRUE(corvane::processAllocatorOwns(block));
    EXPECT_TRUE(corvane::processAllocatorOwns(object.get()));
    EXPECT_TRUE(corvane::processAllocatorOwns(text.data()));
    EXPECT_GE(corvane::processAllocatorVersion(), 200);
    std::free(block);
}
#endif
