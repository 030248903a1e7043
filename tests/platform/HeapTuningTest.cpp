#include "platform/HeapTuning.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "tests/support/SanitizerAllocator.h"

// A sanitizer's allocator replaces glibc's and ignores its settings.
#if defined(__GLIBC__) && !defined(TEST_SANITIZER_ALLOCATOR)
namespace
{
// Keeps the compiler from pairing an allocation with its free and dropping both.
void* volatile sink;

void* Touch(size_t size)
{
    char* p = static_cast<char*>(malloc(size));
    for (size_t i = 0; i < size; i += 4096)
        p[i] = 1;
    sink = p;
    return p;
}
} // namespace

// What a software renderer does every frame: a few MiB of 64 KiB blocks,
// freed at the end of the frame. The next frame must find them in the heap
// instead of asking the system for fresh pages again.
TEST(HeapTuning, FreedFrameBlocksStayInTheHeap)
{
    ASSERT_TRUE(KyHeap_KeepFrameMemory());
    std::vector<void*> blocks;
    for (int i = 0; i < 64; ++i)
        blocks.push_back(Touch(64 * 1024));
    const size_t grown = mallinfo2().arena;
    for (auto it = blocks.rbegin(); it != blocks.rend(); ++it)
        free(*it);
    EXPECT_GE(mallinfo2().arena, grown) << "the freed top of the heap went back to the system";
}
#endif
