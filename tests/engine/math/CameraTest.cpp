#include "engine/core/Window.h"
#include "engine/math/Camera.h"
#include "engine/resources/UniformManager.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace
{
// A "Transformation" block with a copy but no OpenGL buffer, so the camera
// can be checked without a context.
class CameraTest : public testing::Test
{
protected:
    void SetUp() override
    {
        savedBlocks = UniformManager::blocks;
        savedCount = UniformManager::blockCount;
        std::memset(&block, 0, sizeof block);
        storage.assign(1024, 0xAB);
        block.data = storage.data();
        block.capacity = static_cast<uint32_t>(storage.size());
        block.usedSize = TransformationBlock::SIZE;
        slots[0] = nullptr;
        slots[1] = &block;
        UniformManager::blocks = slots;
        UniformManager::blockCount = 2;
        Window::OnReshape(960, 600);

        camera.position = {0.0f, 0.0f, 5.0f};
        camera.direction = {0.0f, 0.0f, -1.0f};
        camera.up = {0.0f, 1.0f, 0.0f};
        camera.nearPlane = 1.0f;
        camera.farPlane = 3.0f;
        camera.fovY = static_cast<float>(M_PI / 2);
    }
    void TearDown() override
    {
        UniformManager::blocks = savedBlocks;
        UniformManager::blockCount = savedCount;
        Window::OnReshape(800, 600);
    }

    const float* At(unsigned offset) const { return reinterpret_cast<const float*>(storage.data() + offset); }

    UniformBlock block;
    UniformBlock* slots[2];
    std::vector<uint8_t> storage;
    UniformBlock** savedBlocks = nullptr;
    int savedCount = 0;
    Camera camera;
};

void ExpectMatrix(const float* actual, const float (&expected)[16], const char* what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << what << " element " << i;
}
} // namespace

TEST_F(CameraTest, WritesEveryMemberAtItsOffset)
{
    camera.UpdateTransformation();
    EXPECT_TRUE(block.dirty);

    // right = (1, 0, 0), back = (0, 0, 1): the view is a translation by -5 in z.
    const float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -5, 1};
    ExpectMatrix(At(TransformationBlock::VIEW), view, "view");
    // tan(pi/4) = 1: m0 = 1/1.6, m5 = 1, m10 = (1+3)/(1-3), m11 = 2*1*3/(1-3), m14 = -1.
    const float projection[16] = {0.625f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -2, -3, 0, 0, -1, 0};
    ExpectMatrix(At(TransformationBlock::PROJECTION), projection, "projection");
    // view * projection, row by column.
    float product[16] = {};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k)
                product[4 * r + c] += view[4 * r + k] * projection[4 * k + c];
    ExpectMatrix(At(TransformationBlock::VIEW_PROJECTION), product, "view-projection");
    // The inverse really inverts the product.
    const float* inverse = At(TransformationBlock::INVERSE_VIEW_PROJECTION);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
        {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += product[4 * r + k] * inverse[4 * k + c];
            EXPECT_NEAR(sum, r == c ? 1.0f : 0.0f, 1e-4f) << r << "," << c;
        }

    const float* pos = At(TransformationBlock::CAMERA_POS);
    EXPECT_EQ(pos[0], 0.0f);
    EXPECT_EQ(pos[2], 5.0f);
    const float* dir = At(TransformationBlock::CAMERA_DIR);
    EXPECT_EQ(dir[2], -1.0f);
    EXPECT_EQ(*At(TransformationBlock::NEAR_CLIP_PLANE), 1.0f);
    const float* up = At(TransformationBlock::CAMERA_UP);
    EXPECT_EQ(up[1], 1.0f);
    EXPECT_EQ(*At(TransformationBlock::FAR_CLIP_PLANE), 3.0f);
    // Padding after the last member is not written.
    EXPECT_EQ(storage[TransformationBlock::SIZE], 0xAB);
}

TEST_F(CameraTest, AspectIsReadAtTheUpdate)
{
    Window::OnReshape(600, 600);
    camera.UpdateTransformation();
    EXPECT_NEAR(At(TransformationBlock::PROJECTION)[0], 1.0f, 1e-6f);
}

TEST_F(CameraTest, ParallelUpGivesAZeroRightAxisWithoutFaulting)
{
    camera.up = {0.0f, 0.0f, -2.0f};
    camera.UpdateTransformation();
    const float* view = At(TransformationBlock::VIEW);
    for (int r = 0; r < 4; ++r)
        EXPECT_TRUE(std::isfinite(view[4 * r])) << r;
    EXPECT_EQ(view[0], 0.0f);
}

TEST_F(CameraTest, NothingIsWrittenWithoutTheBlockCopy)
{
    block.data = nullptr;
    camera.UpdateTransformation();
    EXPECT_FALSE(block.dirty);
    UniformManager::blockCount = 1;
    block.data = storage.data();
    camera.UpdateTransformation();
    EXPECT_FALSE(block.dirty);
}
