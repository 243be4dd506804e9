#include "platform/allocator/ProcessAllocator.h"

#include <gtest/gtest.h>

#if CORVANE_PROCESS_ALLOCATOR
#include <mimalloc.h>
#endif

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

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

TEST(ProcessAllocator, preferringResidentMemoryReturnsFreedPagesWithoutDelay)
{
    corvane::processAllocatorPreferResidentMemory();
    EXPECT_EQ(mi_option_get(mi_option_decommit_delay), 0);
    EXPECT_EQ(mi_option_get(mi_option_segment_decommit_delay), 0);
    EXPECT_TRUE(mi_option_is_enabled(mi_option_abandoned_page_decommit));
    // Still serves and frees large and small blocks.
    std::vector<std::unique_ptr<char[]>> blocks;
    for (int index = 0; index < 64; ++index)
        blocks.push_back(std::make_unique<char[]>(index % 2 ? 24 : 600 * 1024));
    blocks.clear();
    void* block = std::malloc(600 * 1024);
    EXPECT_TRUE(corvane::processAllocatorOwns(block));
    std::free(block);
}
#endif
