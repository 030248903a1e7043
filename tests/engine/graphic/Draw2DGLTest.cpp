// The 2D effect in a real context: where a textured rectangle lands, how
// its texels are oriented and alpha-tested, the bevel's three shades, and
// that repeated draws of one texture bind it once.
#include "tests/engine/graphic/DrawEnvironment.h"

#include "engine/core/Device.h"
#include "engine/core/Window.h"

using namespace TestDraw;
using KyE::Graphic::Material::Texture;

namespace
{
class Draw2DTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Draw2D::IsReady());
        ASSERT_EQ(Window::width, 960);
        ASSERT_EQ(Window::height, 600);
        ClearFrame(0.0f, 0.0f, 1.0f);
    }
    void TearDown() override
    {
        RestoreFrame();
        Device::ResetBindings();
    }
};

const uint32_t RED = 0xFF0000FF, GREEN = 0x00FF00FF, BLUE = 0x0000FFFF, WHITE = 0xFFFFFFFF;
} // namespace

TEST_F(Draw2DTest, TexturedRectCoversExactlyItsPixelsUnflipped)
{
    // Row 0 (t = 0): red, green; row 1: blue, white.
    Texture* texture = MakeTexture(2, 2, {RED, GREEN, BLUE, WHITE});
    ASSERT_NE(texture, nullptr);
    ClearFrame(0.0f, 0.0f, 0.0f);
    // NDC -0.5..0.5 x -0.5..0.5: pixels 240..719 across, 150..449 up.
    Draw2D::DrawTexturedRect(texture, -0.5f, -0.5f, 1.0f, 1.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    EXPECT_EQ(Rgb(239, 300), 0x000000u);
    EXPECT_NE(Rgb(240, 300), 0x000000u);
    EXPECT_NE(Rgb(719, 300), 0x000000u);
    EXPECT_EQ(Rgb(720, 300), 0x000000u);
    EXPECT_EQ(Rgb(480, 149), 0x000000u);
    EXPECT_NE(Rgb(480, 150), 0x000000u);
    EXPECT_NE(Rgb(480, 449), 0x000000u);
    EXPECT_EQ(Rgb(480, 450), 0x000000u);
    // The texel centres, each a quarter in from its corner: the first row
    // of the image is at the bottom, its first texel at the left.
    EXPECT_TRUE(Near(Rgb(360, 225), 0xFF0000)) << std::hex << Rgb(360, 225);
    EXPECT_TRUE(Near(Rgb(600, 225), 0x00FF00)) << std::hex << Rgb(600, 225);
    EXPECT_TRUE(Near(Rgb(360, 375), 0x0000FF)) << std::hex << Rgb(360, 375);
    EXPECT_TRUE(Near(Rgb(600, 375), 0xFFFFFF)) << std::hex << Rgb(600, 375);
    delete texture;
}

TEST_F(Draw2DTest, TexelsBelowAlphaPointTwoAreDiscarded)
{
    // Alpha 48/255 (0.188) and 52/255 (0.204); blending off, so a texel that
    // is drawn shows its colour whatever its alpha.
    Texture* texture = MakeTexture(2, 1, {0xFF000030, 0xFF000034});
    ASSERT_NE(texture, nullptr);
    Draw2D::DrawTexturedRect(texture, -1.0f, -1.0f, 2.0f, 2.0f);
    EXPECT_TRUE(Near(Rgb(240, 300), 0x0000FF)) << std::hex << Rgb(240, 300);
    EXPECT_TRUE(Near(Rgb(720, 300), 0xFF0000)) << std::hex << Rgb(720, 300);
    delete texture;
}

TEST_F(Draw2DTest, NegativeWidthMirrorsAboutTheAnchor)
{
    Texture* texture = MakeTexture(2, 1, {RED, GREEN});
    ASSERT_NE(texture, nullptr);
    // Mirrored, the square winds the other way; culling must be off.
    RenderState::SetCullFace(false);
    Draw2D::DrawTexturedRect(texture, 0.5f, -0.5f, -1.0f, 1.0f);
    // Texel 0 (red) now at the right, next to the anchor.
    EXPECT_TRUE(Near(Rgb(600, 300), 0xFF0000)) << std::hex << Rgb(600, 300);
    EXPECT_TRUE(Near(Rgb(360, 300), 0x00FF00)) << std::hex << Rgb(360, 300);
    EXPECT_TRUE(Near(Rgb(730, 300), 0x0000FF));
    delete texture;
}

TEST_F(Draw2DTest, SameTextureTwiceBindsOnce)
{
    Texture* texture = MakeTexture(1, 1, {WHITE});
    ASSERT_NE(texture, nullptr);
    Device::ResetBindings();
    const unsigned long before = BindingCache::calls.bindTexture;
    Draw2D::DrawTexturedRect(texture, -0.9f, -0.9f, 0.2f, 0.2f);
    Draw2D::DrawTexturedRect(texture, 0.5f, 0.5f, 0.2f, 0.2f);
    EXPECT_EQ(BindingCache::calls.bindTexture - before, 1u);
    EXPECT_EQ(BindingCache::texture0, texture->textureName);
    EXPECT_TRUE(Near(Rgb(72, 72), 0xFFFFFF));
    EXPECT_TRUE(Near(Rgb(792, 492), 0xFFFFFF));
    delete texture;
}

TEST_F(Draw2DTest, BevelShowsDarkLowerRightLightUpperLeftAndItsFace)
{
    const Matrix2x3 rect = {1.0f, 0.0f, -0.5f, 0.0f, 1.0f, -0.5f};
    const float grey[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    ClearFrame(0.0f, 0.0f, 0.0f);
    Draw2D::DrawBevelRect(rect, grey);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // The border is the outer 5 %: 24 pixels across, 15 up.
    const uint32_t dark = Rgb(710, 155);  // near corner 2, lower right
    const uint32_t light = Rgb(250, 445); // near corner 4, upper left
    const uint32_t face = Rgb(480, 300);
    EXPECT_TRUE(Near(dark, 0x666666)) << std::hex << dark;    // 0.4
    EXPECT_TRUE(Near(light, 0x999999)) << std::hex << light;  // 0.6
    EXPECT_TRUE(Near(face, 0x808080, 2)) << std::hex << face; // 0.5
    // The inner face starts 5 % in: at 240 + 24 = 264 across.
    EXPECT_TRUE(Near(Rgb(266, 300), 0x808080, 2)) << std::hex << Rgb(266, 300);
    EXPECT_TRUE(Near(Rgb(261, 160), 0x666666)) << std::hex << Rgb(261, 160);
    EXPECT_EQ(Rgb(239, 300), 0x000000u);
    EXPECT_EQ(Rgb(720, 300), 0x000000u);
}

TEST_F(Draw2DTest, BevelOfATurnedTransformStaysInsideIt)
{
    // A quarter turn: (0, -1, 0.5) / (1, 0, -0.5) maps the square onto
    // x 0.5-1 .. 0.5, y -0.5 .. 0.5.
    const Matrix2x3 turned = {0.0f, -1.0f, 0.5f, 1.0f, 0.0f, -0.5f};
    const float grey[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    ClearFrame(0.0f, 0.0f, 0.0f);
    RenderState::SetCullFace(true);
    Draw2D::DrawBevelRect(turned, grey);
    EXPECT_TRUE(Near(Rgb(480, 300), 0x808080, 2)) << std::hex << Rgb(480, 300);
    // The inner face stays inside the panel on every side.
    EXPECT_EQ(Rgb(230, 300), 0x000000u);
    EXPECT_EQ(Rgb(730, 300), 0x000000u);
    EXPECT_EQ(Rgb(480, 145), 0x000000u);
    EXPECT_EQ(Rgb(480, 455), 0x000000u);
    EXPECT_TRUE(Near(Rgb(715, 300), 0x666666) || Near(Rgb(715, 300), 0x999999)) << std::hex << Rgb(715, 300);
}
