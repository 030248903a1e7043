#include "engine/resources/UniformManager.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
UniformBlock MakeBlock(uint32_t used, uint32_t capacity)
{
    UniformBlock block = {};
    block.usedSize = used;
    block.capacity = capacity;
    return block;
}

uint32_t After(uint32_t used, uint32_t size)
{
    UniformBlock block = MakeBlock(used, 65536);
    UniformManager::AddMember(&block, size);
    return block.usedSize;
}
} // namespace

TEST(UniformManagerLayout, MembersNeverStraddleARow)
{
    EXPECT_EQ(After(268, 12), 284u); // moves to 272 first
    EXPECT_EQ(After(284, 4), 288u);  // fits the row's last 4 bytes
    EXPECT_EQ(After(4, 96), 112u);   // starts at the next row
    EXPECT_EQ(After(0, 64), 64u);
    EXPECT_EQ(After(256, 12), 268u);
}

TEST(UniformManagerLayout, TheEngineBlocksGetTheirStd140Sizes)
{
    UniformBlock lights = MakeBlock(0, 65536);
    UniformManager::AddMember(&lights, 4);
    for (int i = 0; i < 64; ++i)
        UniformManager::AddMember(&lights, 96);
    EXPECT_EQ(lights.usedSize, 6160u);

    UniformBlock transformation = MakeBlock(0, 65536);
    std::vector<uint32_t> offsets;
    for (uint32_t size : {64u, 64u, 64u, 64u, 12u, 12u, 4u, 12u, 4u})
    {
        UniformManager::AddMember(&transformation, size);
        offsets.push_back(transformation.usedSize - size);
    }
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 64, 128, 192, 256, 272, 284, 288, 300}));
    EXPECT_EQ(transformation.usedSize, 304u);

    UniformBlock object = MakeBlock(0, 65536);
    for (uint32_t size : {64u, 64u, 64u, 64u, 48u, 16u})
        UniformManager::AddMember(&object, size);
    EXPECT_EQ(object.usedSize, 320u);
}

TEST(UniformManagerLayout, AMemberPastTheCapacityIsFatalAndNeverOverreaches)
{
    UniformBlock block = MakeBlock(8, 32);
    testing::internal::CaptureStderr();
    UniformManager::AddMember(&block, 64);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Fatal Error: Maximum Uniform Buffer size exceeded!\n");
    EXPECT_LE(block.usedSize, block.capacity);
    UniformManager::AddMember(nullptr, 4); // no block: nothing happens
}
