// The generated textures through the engine's own loader, in a real OpenGL
// context, from the build directory the game runs in.
#include "engine/resources/Texture.h"
#include "tests/tools/AssetReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using KyE::Graphic::Material::Texture;

TEST(GeneratedAssets, EveryTextureLoadsThroughTheEngineWithoutAnErrorLine)
{
    std::vector<std::string> names;
    for (int i = 1; i <= 8; ++i)
        names.push_back("textures/block0" + std::to_string(i) + ".kyt");
    for (const char* face : {"KyMinGUI_Button", "KyMinGUI_Button_H", "KyMinGUI_Button_D", "KyMinGUI_Edit"})
        names.push_back(std::string("textures/") + face + ".kyt");

    for (const std::string& name : names) {
        AssetReader::Kyt file = AssetReader::ReadKyt(name);
        ASSERT_TRUE(file.valid) << name << ": " << file.problem;

        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        // The loader itself, not the registry: in this executable the
        // registry's static storage is torn down before freeglut's exit
        // handler closes the test window, whose close handler clears it.
        Texture* texture = new Texture();
        bool loaded = texture->Load(name.c_str());
        std::string out = testing::internal::GetCapturedStdout();
        std::string err = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(loaded) << name << ": " << err;
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
        delete texture;
    }
}
