// Font files read through the real loader, and text drawn with the real
// text program: a font made in the test gives exact glyph boxes, the game's
// own font a plausible one.
#include "tests/engine/graphic/DrawEnvironment.h"

#include "engine/core/Device.h"
#include "engine/core/Window.h"
#include "engine/graphic/Font.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

using namespace TestDraw;
using KyE::Graphic::Font;

namespace
{
// Loads a file the way GetFont would, and reports what the log said.
bool LoadAndCapture(const std::string& path, std::string* errors)
{
    Font* font = new Font;
    testing::internal::CaptureStderr();
    bool ok = font->Load(path.c_str());
    *errors = testing::internal::GetCapturedStderr();
    delete font;
    unlink(path.c_str());
    return ok;
}

class FontGL : public testing::Test
{
protected:
    void SetUp() override { ClearFrame(); }
    void TearDown() override
    {
        RestoreFrame();
        Device::ResetBindings();
    }
};

const float WHITE[3] = {1.0f, 1.0f, 1.0f};
} // namespace

TEST_F(FontGL, RefusesBadFilesWithTheirMessages)
{
    std::string errors;
    FontFile wrong;
    wrong.signature = "KyFx";
    EXPECT_FALSE(LoadAndCapture(wrong.Write("signature"), &errors));
    EXPECT_NE(errors.find("scince the signature is wrong."), std::string::npos) << errors;

    EXPECT_FALSE(LoadAndCapture("/nonexistent/font.kyf", &errors));
    EXPECT_NE(errors.find("Error: [Font::Load] Could not open '/nonexistent/font.kyf'."), std::string::npos) << errors;

    FontFile shortHeader;
    shortHeader.truncateTo = 10;
    EXPECT_FALSE(LoadAndCapture(shortHeader.Write("header"), &errors));
    EXPECT_NE(errors.find("[Font::Load] Cannot read file header from '"), std::string::npos) << errors;

    FontFile shortTables;
    shortTables.truncateTo = 16 + 256 + 100;
    EXPECT_FALSE(LoadAndCapture(shortTables.Write("tables"), &errors));
    EXPECT_NE(errors.find("[Font::Load] Cannot read file data from '"), std::string::npos) << errors;

    // A short atlas is refused before anything is allocated for it.
    FontFile shortPixels;
    shortPixels.truncateTo = 4368 + 15;
    EXPECT_FALSE(LoadAndCapture(shortPixels.Write("pixels"), &errors));
    EXPECT_NE(errors.find("[Font::Load] Cannot read file data from '"), std::string::npos) << errors;

    // Sizes a file cannot hold, or that mean nothing.
    FontFile huge;
    huge.width = 1 << 30;
    huge.height = 1 << 30;
    EXPECT_FALSE(LoadAndCapture(huge.Write("huge"), &errors));
    EXPECT_NE(errors.find("is not valid."), std::string::npos) << errors;
    FontFile negative;
    negative.width = -4;
    EXPECT_FALSE(LoadAndCapture(negative.Write("negative"), &errors));
    EXPECT_NE(errors.find("The atlas size -4 x 4"), std::string::npos) << errors;
    FontFile big;
    big.width = 40000;
    big.height = 40000;
    EXPECT_FALSE(LoadAndCapture(big.Write("big"), &errors));
    EXPECT_NE(errors.find("Cannot read file data"), std::string::npos) << errors;
    FontFile flat;
    flat.lineHeight = 0;
    EXPECT_FALSE(LoadAndCapture(flat.Write("flat"), &errors));
    EXPECT_NE(errors.find("The line height 0"), std::string::npos) << errors;

    // Zero in any size is refused with its message; one is a font.
    struct Sizes
    {
        int32_t lineHeight, width, height;
        const char* message;
    };
    for (const Sizes s : {Sizes{20, 0, 4, "The atlas size 0 x 4"}, Sizes{20, 4, 0, "The atlas size 4 x 0"},
                          Sizes{-1, 4, 4, "The line height -1"}, Sizes{1, 1, 1, nullptr}, Sizes{20, 1, 3, nullptr},
                          Sizes{20, 3, 1, nullptr}})
    {
        FontFile file;
        file.lineHeight = s.lineHeight;
        file.width = s.width;
        file.height = s.height;
        const bool loaded = LoadAndCapture(file.Write("sizes"), &errors);
        EXPECT_EQ(loaded, s.message == nullptr) << s.width << " x " << s.height << ": " << errors;
        if (s.message)
        {
            EXPECT_NE(errors.find(s.message), std::string::npos) << errors;
        }
    }

    // No font is left counted by the failures.
    EXPECT_EQ(KyE::Graphic::FontCount(), 0u);
}

TEST_F(FontGL, LoadsAnAtlasOfOneRedChannelAndCountsFonts)
{
    FontFile good;
    good.width = 5; // a row length that is no multiple of 4
    good.height = 3;
    std::string path = good.Write("good");
    Font* a = new Font;
    ASSERT_TRUE(a->Load(path.c_str()));
    ASSERT_NE(a->texture, nullptr);
    EXPECT_EQ(a->texture->width, 5);
    EXPECT_EQ(a->texture->height, 3);
    EXPECT_EQ(a->texture->format, KyE::Graphic::Material::FORMAT_R8);
    EXPECT_EQ(a->lineHeight, 20);
    EXPECT_EQ(a->advance[static_cast<int>('A')], 10);
    EXPECT_EQ(a->advance[static_cast<int>(' ')], 5);
    EXPECT_FLOAT_EQ(a->texCoords[65][2], 1.0f);
    EXPECT_EQ(KyE::Graphic::FontCount(), 1u);
    Font* b = new Font;
    ASSERT_TRUE(b->Load(path.c_str()));
    EXPECT_EQ(KyE::Graphic::FontCount(), 2u);
    delete a;
    EXPECT_EQ(KyE::Graphic::FontCount(), 1u);
    // The remaining font still draws with the shared program.
    const Matrix2x3 t = {2.0f, 0.0f, 0.0f, 0.0f, 2.0f, 0.0f};
    b->DrawText("A", t, WHITE, 1000, 0);
    EXPECT_GT(LitBox().count, 0);
    delete b;
    EXPECT_EQ(KyE::Graphic::FontCount(), 0u);
    unlink(path.c_str());
}

TEST_F(FontGL, GlyphCellsHangDownFromThePen)
{
    std::string path = FontFile().Write("cells");
    Font font;
    ASSERT_TRUE(font.Load(path.c_str()));
    unlink(path.c_str());
    // Linear part 2: one font pixel is one window pixel. Anchor at NDC
    // (-0.5, 0.5) = window pixel (240, 450).
    const Matrix2x3 t = {2.0f, 0.0f, -0.5f, 0.0f, 2.0f, 0.5f};
    font.DrawText("AB", t, WHITE, 1000, 0);
    Box box = LitBox();
    EXPECT_EQ(box.left, 240);
    EXPECT_EQ(box.right, 259);
    EXPECT_EQ(box.top, 449);
    EXPECT_EQ(box.bottom, 430);
    EXPECT_EQ(box.count, 400);

    // Two lines, wrapped at 20 font pixels: "AB " and "C".
    ClearFrame();
    font.DrawText("AB C", t, WHITE, 20, 0);
    box = LitBox();
    EXPECT_EQ(box.bottom, 410);
    EXPECT_EQ(box.right, 264); // the space of the first line is drawn as a cell
    EXPECT_TRUE(Near(Rgb(245, 415), 0xFFFFFF));
    EXPECT_EQ(Rgb(255, 415), 0x000000u);
}

TEST_F(FontGL, FlagsCentreTheBlockOnTheAnchor)
{
    std::string path = FontFile().Write("centre");
    Font font;
    ASSERT_TRUE(font.Load(path.c_str()));
    unlink(path.c_str());
    const Matrix2x3 t = {2.0f, 0.0f, 0.0f, 0.0f, 2.0f, 0.0f};
    font.DrawText("ABCD", t, WHITE, 1000, Font::CENTRE_HORIZONTAL | Font::CENTRE_VERTICAL);
    Box box = LitBox();
    // 40 x 20 about window pixel (480, 300).
    EXPECT_EQ(box.left, 460);
    EXPECT_EQ(box.right, 499);
    EXPECT_EQ(box.bottom, 290);
    EXPECT_EQ(box.top, 309);

    // Two lines: the first line's top one line above the anchor, every
    // line starting at the same x (the widest line centres the block).
    ClearFrame();
    font.DrawText("ABCD\nA", t, WHITE, 1000, Font::CENTRE_HORIZONTAL | Font::CENTRE_VERTICAL);
    box = LitBox();
    EXPECT_EQ(box.top, 319);
    EXPECT_EQ(box.bottom, 280);
    EXPECT_EQ(box.left, 460);
    EXPECT_TRUE(Near(Rgb(465, 285), 0xFFFFFF));
    EXPECT_EQ(Rgb(475, 285), 0x000000u);

    // Horizontal only: the top edge stays on the anchor.
    ClearFrame();
    font.DrawText("AB", t, WHITE, 1000, Font::CENTRE_HORIZONTAL);
    box = LitBox();
    EXPECT_EQ(box.top, 299);
    EXPECT_EQ(box.left, 470);
}

TEST_F(FontGL, CullingIsRestoredWhateverItWas)
{
    std::string path = FontFile().Write("cull");
    Font font;
    ASSERT_TRUE(font.Load(path.c_str()));
    unlink(path.c_str());
    const Matrix2x3 t = {2.0f, 0.0f, 0.0f, 0.0f, 2.0f, 0.0f};
    RenderState::SetCullFace(true);
    font.DrawText("A", t, WHITE, 1000, 0);
    // The glyph quads wind clockwise (they hang down), yet they are drawn.
    EXPECT_GT(LitBox().count, 0);
    EXPECT_TRUE(RenderState::cullFace);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    font.DrawText("", t, WHITE, 1000, 0);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    RenderState::SetCullFace(false);
    font.DrawText("A", t, WHITE, 1000, 0);
    EXPECT_FALSE(RenderState::cullFace);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    RenderState::SetCullFace(true);
}

TEST_F(FontGL, TheGameFontDrawsInsideItsBox)
{
    const std::string path = std::string(TUMBLOX_BINARY_DIR) + "/Zived Udozo.kyf";
    if (access(path.c_str(), R_OK) != 0)
        GTEST_SKIP() << "no generated font at " << path;
    Font* font = KyE::ResourceManager::GetFont(path.c_str());
    ASSERT_NE(font, nullptr);
    RenderState::SetBlend(true);
    RenderState::SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Lines 0.1 of the window high (60 pixels) from the top-left corner at
    // NDC (-0.5, 0.5), window pixel (240, 450).
    font->DrawTextAt("Tumblox", 0.1f, WHITE, 1.0f, -0.5f, 0.5f);
    Box box = LitBox();
    const int expectedWidth = font->GetTextWidth("Tumblox") * 60 / font->lineHeight;
    EXPECT_GT(box.count, 200);
    EXPECT_GE(box.left, 240);
    EXPECT_LE(box.right, 240 + expectedWidth + 1);
    EXPECT_LE(box.top, 450);
    EXPECT_GE(box.bottom, 390);
    EXPECT_GT(box.right - box.left, expectedWidth / 2);

    // Centred both ways on the window centre.
    ClearFrame();
    RenderState::SetBlend(true);
    const float s = 2.0f * Window::height * 0.1f / font->lineHeight;
    const Matrix2x3 t = {s, 0.0f, 0.0f, 0.0f, s, 0.0f};
    font->DrawText("HHHH", t, WHITE, 100000, Font::CENTRE_HORIZONTAL | Font::CENTRE_VERTICAL);
    box = LitBox();
    EXPECT_NEAR((box.left + box.right) / 2.0, 480.0, 6.0);
    EXPECT_NEAR((box.bottom + box.top) / 2.0, 300.0, 12.0);
    RenderState::SetBlend(false);
    font->Release();
}
