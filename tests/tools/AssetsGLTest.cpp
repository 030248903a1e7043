// The generated assets through the engine's own loaders and registry, in a
// real OpenGL context, from the build directory the game runs in.
#include "engine/core/Device.h"
#include "engine/resources/ResourceManager.h"
#include "engine/resources/ShaderReplacements.h"
#include "engine/resources/Texture.h"
#include "tests/tools/AssetReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using KyE::Graphic::Material::Texture;

namespace
{

// The shader name directive the device registers, for the font's program.
const KyE::Graphic::Effect::ShaderReplacement nameDirective = {"//", 2};

class DeviceLifetime : public testing::Environment
{
public:
    void SetUp() override { KyE::Graphic::Effect::ShaderReplacements::Add("#name", &nameDirective); }
    // The device's close-down while the context exists: the registry is
    // empty before static storage and the window go at exit.
    void TearDown() override { Device::Shutdown(); }
};

testing::Environment* const environment = testing::AddGlobalTestEnvironment(new DeviceLifetime);

} // namespace

TEST(GeneratedAssets, EveryTextureLoadsThroughTheEngineWithoutAnErrorLine)
{
    std::vector<std::string> names;
    for (int i = 1; i <= 8; ++i)
        names.push_back("textures/block0" + std::to_string(i) + ".kyt");
    for (const char* face : {"KyMinGUI_Button", "KyMinGUI_Button_H", "KyMinGUI_Button_D", "KyMinGUI_Edit"})
        names.push_back(std::string("textures/") + face + ".kyt");

    for (const std::string& name : names)
    {
        AssetReader::Kyt file = AssetReader::ReadKyt(name);
        ASSERT_TRUE(file.valid) << name << ": " << file.problem;

        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        Texture* texture = KyE::ResourceManager::GetTexture(name.c_str());
        std::string out = testing::internal::GetCapturedStdout();
        std::string err = testing::internal::GetCapturedStderr();
        ASSERT_NE(texture, nullptr) << name << ": " << err;
        EXPECT_EQ(err, "") << name;
        EXPECT_NE(out.find("[Texture::Load] Successfully loaded raw texture: " + name), std::string::npos) << out;
        EXPECT_EQ(texture->target, static_cast<GLenum>(GL_TEXTURE_2D));
        EXPECT_EQ(texture->width, static_cast<int>(file.width));
        EXPECT_EQ(texture->height, static_cast<int>(file.height));

        // What OpenGL holds is the file's level 0, row 0 first (t = 0).
        std::vector<uint8_t> texels(file.texels.size());
        glBindTexture(GL_TEXTURE_2D, texture->textureName);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_TRUE(texels == file.texels) << name;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << name;
        testing::internal::CaptureStdout();
        texture->Release();
        testing::internal::GetCapturedStdout();
    }
}

// The font loader arrives with the 2D drawing; until it is there only the
// textures are checked here.
#if __has_include("engine/graphic/Font.h")
#include "engine/graphic/Font.h"

TEST(GeneratedAssets, TheFontLoadsThroughTheEngineWithoutAnErrorLine)
{
    AssetReader::Kyf file = AssetReader::ReadKyf("Zived Udozo.kyf");
    ASSERT_TRUE(file.valid) << file.problem;

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    KyE::Graphic::Font* font = KyE::ResourceManager::GetFont("Zived Udozo.kyf");
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    ASSERT_NE(font, nullptr) << err;
    EXPECT_EQ(err, "");
    EXPECT_NE(out.find("[Texture::Load] Successfully loaded raw texture: Zived Udozo.kyf"), std::string::npos) << out;
    EXPECT_EQ(font->lineHeight, file.lineHeight);
    EXPECT_EQ(0, std::memcmp(font->advance, file.advance, 256));
    EXPECT_EQ(0, std::memcmp(font->texCoords, file.rect, sizeof file.rect));
    ASSERT_NE(font->texture, nullptr);
    EXPECT_EQ(font->texture->width, file.width);
    EXPECT_EQ(font->texture->height, file.height);

    // The atlas in OpenGL is the file's, row 0 (t = 0) first, one channel.
    std::vector<uint8_t> atlas(file.atlas.size());
    glBindTexture(GL_TEXTURE_2D, font->texture->textureName);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_UNSIGNED_BYTE, atlas.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_TRUE(atlas == file.atlas);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    testing::internal::CaptureStdout();
    font->Release();
    testing::internal::GetCapturedStdout();
}
#endif
