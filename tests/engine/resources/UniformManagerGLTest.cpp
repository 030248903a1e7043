#include "engine/core/BindingCache.h"
#include "engine/resources/UniformManager.h"
#include "tests/engine/resources/ShaderTestSupport.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace
{
class UniformManagerGL : public testing::Test
{
protected:
    static void SetUpTestSuite() { ShaderTest::InitShaderServices(); }
    void SetUp() override
    {
        while (glGetError() != GL_NO_ERROR)
        {
        }
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
};

std::vector<uint8_t> BufferContents(GLuint buffer, size_t size)
{
    std::vector<uint8_t> bytes(size);
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, static_cast<GLsizeiptr>(size), bytes.data());
    glBindBuffer(GL_UNIFORM_BUFFER, BindingCache::uniformBuffer);
    return bytes;
}
} // namespace

TEST_F(UniformManagerGL, InitLogsTheLimitsAndMakesThreeBlocks)
{
    GLint vertex = 0, fragment = 0, geometry = 0, size = 0;
    glGetIntegerv(GL_MAX_VERTEX_UNIFORM_BLOCKS, &vertex);
    glGetIntegerv(GL_MAX_FRAGMENT_UNIFORM_BLOCKS, &fragment);
    glGetIntegerv(GL_MAX_GEOMETRY_UNIFORM_BLOCKS, &geometry);
    glGetIntegerv(GL_MAX_UNIFORM_BLOCK_SIZE, &size);
    int smallest = std::min(std::min(std::min(vertex, fragment), geometry), 256);

    UniformManager::Release();
    testing::internal::CaptureStdout();
    UniformManager::Init();
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "Info: [UniformManager::Init] Minimum number of supported Uniform Buffer Objects: " + std::to_string(smallest) +
            "\nInfo: [UniformManager::Init] Supported size of a Uniform Buffer Object: " + std::to_string(size) + "\n");
    EXPECT_EQ(UniformManager::maxBlocks, smallest);
    EXPECT_EQ(UniformManager::maxBlockSize, size);
    ASSERT_EQ(UniformManager::blockCount, 3);

    const char* names[3] = {"Lightening", "Transformation", "Object"};
    const uint32_t used[3] = {6160, 304, 320};
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(names[i]);
        UniformBlock* block = UniformManager::blocks[i];
        ASSERT_NE(block, nullptr);
        EXPECT_STREQ(block->name, names[i]);
        EXPECT_EQ(block->usedSize, used[i]);
        EXPECT_EQ(block->capacity, static_cast<uint32_t>(size));
        EXPECT_NE(block->data, nullptr);
        EXPECT_FALSE(block->dirty);
        GLint bound = 0;
        glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, static_cast<GLuint>(i), &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), block->buffer);
        GLint bytes = 0;
        glBindBuffer(GL_UNIFORM_BUFFER, block->buffer);
        glGetBufferParameteriv(GL_UNIFORM_BUFFER, GL_BUFFER_SIZE, &bytes);
        EXPECT_EQ(bytes, size);
    }
    for (int i = 3; i < UniformManager::maxBlocks; ++i)
        EXPECT_EQ(UniformManager::blocks[i], nullptr);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    BindingCache::uniformBuffer = 0;
}

TEST_F(UniformManagerGL, OnlyDirtyBlocksAreUploadedOnceWithTheirUsedSize)
{
    UniformBlock* transformation = UniformManager::blocks[1];
    ASSERT_NE(transformation, nullptr);
    for (uint32_t i = 0; i < transformation->usedSize; ++i)
        transformation->data[i] = static_cast<uint8_t>(i * 7 + 1);
    transformation->dirty = true;
    // As at the start of a frame: nothing bound.
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    BindingCache::uniformBuffer = 0;

    UniformManager::Counters before = UniformManager::calls;
    unsigned long bindsBefore = BindingCache::calls.bindUniformBuffer;
    UniformManager::CommitChanges();
    EXPECT_EQ(UniformManager::calls.uploads - before.uploads, 1u);
    EXPECT_EQ(UniformManager::calls.uploadedBytes - before.uploadedBytes, 304u);
    EXPECT_FALSE(transformation->dirty);
    EXPECT_EQ(BindingCache::uniformBuffer, transformation->buffer);
    std::vector<uint8_t> uploaded = BufferContents(transformation->buffer, 304);
    EXPECT_EQ(memcmp(uploaded.data(), transformation->data, 304), 0);

    // Clean blocks cost nothing.
    UniformManager::CommitChanges();
    EXPECT_EQ(UniformManager::calls.uploads - before.uploads, 1u);

    // One member changed: the whole used part again, through the cached bind.
    transformation->data[0] = 0xEE;
    transformation->dirty = true;
    UniformManager::CommitChanges();
    EXPECT_EQ(UniformManager::calls.uploads - before.uploads, 2u);
    EXPECT_EQ(UniformManager::calls.uploadedBytes - before.uploadedBytes, 608u);
    EXPECT_EQ(BindingCache::calls.bindUniformBuffer - bindsBefore, 1u);
    EXPECT_EQ(BufferContents(transformation->buffer, 1)[0], 0xEE);
}

TEST_F(UniformManagerGL, ABlockWithoutACopyIsNeverCommitted)
{
    UniformBlock* object = UniformManager::blocks[2];
    ASSERT_NE(object, nullptr);
    uint8_t* copy = object->data;
    object->data = nullptr;
    object->dirty = true;
    UniformManager::Counters before = UniformManager::calls;
    UniformManager::CommitChanges();
    EXPECT_EQ(UniformManager::calls.uploads, before.uploads);
    EXPECT_FALSE(object->dirty);
    object->data = copy;

    // A used size beyond the copy is cut to the copy.
    object->usedSize = object->capacity + 4096;
    object->dirty = true;
    UniformManager::CommitChanges();
    EXPECT_EQ(UniformManager::calls.uploadedBytes - before.uploadedBytes, object->capacity);
    object->usedSize = 320;
}

TEST_F(UniformManagerGL, ReleaseTwiceThenInitAgain)
{
    UniformManager::Release();
    EXPECT_EQ(UniformManager::blocks, nullptr);
    EXPECT_EQ(UniformManager::blockCount, 0);
    EXPECT_EQ(BindingCache::uniformBuffer, 0u);
    UniformManager::Release();
    UniformManager::CommitChanges(); // nothing to do, nothing touched
    UniformManager::BindBlocks(0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(UniformManager::AddBlock("Extra"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Fatal Error: [UniformManager::AddBlock] Maximum number of Uniform Buffer Objects reached!\n");
    testing::internal::CaptureStdout();
    UniformManager::Init();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(UniformManager::blockCount, 3);
}

TEST_F(UniformManagerGL, BlocksUpToTheLimitThenAFatalMessage)
{
    std::vector<std::string> names;
    while (UniformManager::blockCount < UniformManager::maxBlocks)
    {
        names.push_back("Extra" + std::to_string(UniformManager::blockCount));
        ASSERT_NE(UniformManager::AddBlock(names.back().c_str()), nullptr);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(UniformManager::AddBlock("OneTooMany"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Fatal Error: [UniformManager::AddBlock] Maximum number of Uniform Buffer Objects reached!\n");
    testing::internal::CaptureStderr();
    std::string longName(32, 'L');
    UniformManager::Release();
    testing::internal::CaptureStdout();
    UniformManager::Init();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(UniformManager::AddBlock(longName.c_str()), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("must have 1 to 31 characters"), std::string::npos);
    EXPECT_EQ(UniformManager::blockCount, 3);
}
