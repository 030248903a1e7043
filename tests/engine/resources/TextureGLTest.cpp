// Textures made from real files in a real 3.3 core context, read back with
// glGetTexImage to the exact texels.
#include "engine/resources/Texture.h"

#include "engine/core/BindingCache.h"
#include "engine/resources/ResourceManager.h"
#include "tests/support/GLContext.h"
#include "tests/engine/resources/TextureTestFiles.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

using namespace KyE::Graphic::Material;
using namespace TextureTestFiles;

namespace
{
struct Loaded
{
    Texture texture;
    bool ok = false;
    std::string out;
    std::string errors;

    explicit Loaded(const char* path)
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        ok = texture.Load(path);
        out = testing::internal::GetCapturedStdout();
        errors = testing::internal::GetCapturedStderr();
    }
};

std::string Pattern(size_t bytes, int seed = 0)
{
    std::string out(bytes, '\0');
    for (size_t i = 0; i < bytes; ++i)
        out[i] = char((i * 29 + size_t(seed) * 7 + 3) & 0xFF);
    return out;
}

// Level 0 of a texture as OpenGL holds it, tightly packed.
std::string ReadBack(const Texture& texture, GLenum pixelFormat, GLenum dataType, size_t bytes, int level = 0)
{
    std::vector<char> pixels(bytes + 64, '\x5A');
    BindingCache::BindTexture(texture.target, texture.textureName);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(texture.target, level, pixelFormat, dataType, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    BindingCache::UnbindTexture(texture.target);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(std::string(pixels.data() + bytes, 64), std::string(64, '\x5A')) << "read back more than expected";
    return std::string(pixels.data(), bytes);
}

GLint LevelParameter(const Texture& texture, int level, GLenum parameter)
{
    GLint value = -1;
    BindingCache::BindTexture(texture.target, texture.textureName);
    glGetTexLevelParameteriv(texture.target, level, parameter, &value);
    BindingCache::UnbindTexture(texture.target);
    return value;
}

GLint Binding2D()
{
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
}

void ExpectUnit0Empty()
{
    EXPECT_EQ(BindingCache::texture0, 0u);
    EXPECT_EQ(BindingCache::activeUnit, 0);
    GLint active = -1;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_EQ(Binding2D(), 0);
}
} // namespace

TEST(TextureGL, KytOfEveryColourLayoutAndOddWidthsReadsBackExactly)
{
    struct Layout
    {
        unsigned format;
        GLenum pixelFormat;
        GLint internalFormat;
        int channels;
    };
    const Layout layouts[] = {{0x003, GL_RED, GL_R8, 1},
                              {0x103, GL_RG, GL_RG8, 2},
                              {0x203, GL_RGB, GL_RGB8, 3},
                              {0x303, GL_RGBA, GL_RGBA8, 4}};
    for (const Layout& layout : layouts)
    {
        for (unsigned width : {1u, 3u, 5u, 64u})
        {
            SCOPED_TRACE("format " + std::to_string(layout.format) + ", width " + std::to_string(width));
            const unsigned height = 3;
            const size_t row = width * unsigned(layout.channels);
            const size_t texels = row * height;
            std::string level = Pattern(texels, int(width)) + std::string((4 - row % 4) % 4, '\0');
            KytHeader header;
            header.format = layout.format;
            header.width = width;
            header.height = height;
            TempFile file(Kyt(header, level), "kyt");
            Loaded loaded(file.Path());
            ASSERT_TRUE(loaded.ok) << loaded.errors;
            EXPECT_EQ(loaded.out,
                      "Info: [Texture::Load] Successfully loaded raw texture: " + std::string(file.Path()) + "\n");
            EXPECT_EQ(loaded.errors, "");
            EXPECT_EQ(loaded.texture.target, GLenum(GL_TEXTURE_2D));
            EXPECT_EQ(loaded.texture.width, int(width));
            EXPECT_EQ(loaded.texture.height, int(height));
            EXPECT_EQ(loaded.texture.format, int(layout.format));
            EXPECT_NE(loaded.texture.textureName, 0u);
            EXPECT_EQ(LevelParameter(loaded.texture, 0, GL_TEXTURE_INTERNAL_FORMAT), layout.internalFormat);
            EXPECT_EQ(ReadBack(loaded.texture, layout.pixelFormat, GL_UNSIGNED_BYTE, texels), level.substr(0, texels));
            ExpectUnit0Empty();
            GLint alignment = 0;
            glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
            EXPECT_EQ(alignment, 4) << "the unpack alignment is restored";
        }
    }
}

TEST(TextureGL, KytOfLargerComponentsAndOtherKinds)
{
    // 32-bit float red, 16-bit unsigned integer RG, 16-bit float RGBA and
    // 32-bit float depth.
    struct Case
    {
        unsigned format, componentSize;
        GLenum pixelFormat, dataType;
        GLint internalFormat;
        size_t readBytesPerTexel;
    };
    const Case cases[] = {{0x004, 3, GL_RED, GL_FLOAT, GL_R32F, 4},
                          {0x102, 1, GL_RG_INTEGER, GL_UNSIGNED_SHORT, GL_RG16UI, 4},
                          {0x304, 1, GL_RGBA, GL_HALF_FLOAT, GL_RGBA16F, 8},
                          {0x404, 3, GL_DEPTH_COMPONENT, GL_FLOAT, GL_DEPTH_COMPONENT32F, 4}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.format);
        KytHeader header;
        header.format = c.format;
        header.componentSize = c.componentSize;
        header.width = 3;
        header.height = 2;
        size_t bytesPerTexel = size_t(BytesPerTexel(int(c.format), int(c.componentSize)));
        size_t row = 3 * bytesPerTexel;
        // Small values that survive a float or half-float round trip.
        std::string texels(row * 2, '\0');
        if (c.format == 0x004)
        {
            float values[6] = {0.0f, 0.25f, 0.5f, 1.0f, -2.0f, 3.5f};
            std::memcpy(&texels[0], values, sizeof values);
        }
        else if (c.format == 0x404)
        {
            // The file counts five components a depth texel; OpenGL reads
            // one float a texel from the start of the block.
            float values[6] = {0.0f, 0.25f, 0.5f, 1.0f, 0.125f, 0.75f};
            std::memcpy(&texels[0], values, sizeof values);
        }
        else if (c.format == 0x304)
        {
            for (size_t i = 0; i < texels.size(); i += 2)
                texels[i + 1] = char(0x3C); // 1.0 as a half float
        }
        else
            texels = Pattern(row * 2);
        TempFile file(Kyt(header, texels + std::string((4 - row % 4) % 4, '\0')), "kyt");
        Loaded loaded(file.Path());
        ASSERT_TRUE(loaded.ok) << loaded.errors;
        EXPECT_EQ(LevelParameter(loaded.texture, 0, GL_TEXTURE_INTERNAL_FORMAT), c.internalFormat);
        size_t readBytes = 3 * 2 * c.readBytesPerTexel;
        EXPECT_EQ(ReadBack(loaded.texture, c.pixelFormat, c.dataType, readBytes), texels.substr(0, readBytes));
    }
}

TEST(TextureGL, IntegerTexelsSampleThroughAnIntegerSampler)
{
    // With a linear filter an integer texture is incomplete and samples as
    // zero: draw the window full with texture() through a usampler2D at the
    // centre of texel (1, 0), magnified, and read the value back.
    KytHeader header;
    header.format = 0x102; // RG, unsigned integer, 16 bits
    header.componentSize = 1;
    header.width = 3;
    header.height = 2;
    const uint16_t values[12] = {1, 2, 200, 17, 5, 6, 7, 8, 9, 10, 11, 12};
    std::string texels(reinterpret_cast<const char*>(values), sizeof values);
    TempFile file(Kyt(header, texels), "kyt");
    Loaded loaded(file.Path());
    ASSERT_TRUE(loaded.ok) << loaded.errors;

    const char* vs = "#version 330\nvoid main(){gl_Position = vec4(float((gl_VertexID & 1) * 4 - 1), "
                     "float((gl_VertexID & 2) * 2 - 1), 0.0, 1.0);}";
    const char* fs = "#version 330\nuniform usampler2D t;out vec4 c;void main(){"
                     "uvec4 v = texture(t, vec2(1.5 / 3.0, 0.25));c = vec4(vec2(v.rg), 0.0, 255.0) / 255.0;}";
    GLuint program = glCreateProgram();
    for (auto [type, source] : {std::pair<GLenum, const char*>{GL_VERTEX_SHADER, vs}, {GL_FRAGMENT_SHADER, fs}})
    {
        GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    ASSERT_EQ(linked, GL_TRUE);
    GLuint vertexArray = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "t"), 0);
    BindingCache::BindTexture(loaded.texture.target, loaded.texture.textureName);
    const GLboolean blend = glIsEnabled(GL_BLEND), depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    EXPECT_EQ(TestGL::PixelAt(20, 20), 0xC81100FFu); // (200, 17, 0, 255)
    if (blend)
        glEnable(GL_BLEND);
    if (depthTest)
        glEnable(GL_DEPTH_TEST);
    BindingCache::UnbindTexture(loaded.texture.target);
    glUseProgram(0);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteProgram(program);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(TextureGL, KytOfSeveralLevelsUploadsLevelZeroAndGeneratesTheRest)
{
    KytHeader header;
    header.width = 64;
    header.height = 64;
    header.levelCount = 3;
    std::string l0 = Pattern(64 * 64 * 4), l1 = Pattern(32 * 32 * 4, 1), l2 = Pattern(16 * 16 * 4, 2);
    std::string content = Kyt(header, l0 + l1 + l2);
    ASSERT_EQ(content.size(), 28u + 16384u + 4096u + 1024u);
    TempFile file(content, "kyt");
    Loaded loaded(file.Path());
    ASSERT_TRUE(loaded.ok) << loaded.errors;
    EXPECT_EQ(ReadBack(loaded.texture, GL_RGBA, GL_UNSIGNED_BYTE, l0.size()), l0);
    // Level 1 was generated from level 0, not taken from the file.
    EXPECT_EQ(LevelParameter(loaded.texture, 1, GL_TEXTURE_WIDTH), 32);
    EXPECT_EQ(LevelParameter(loaded.texture, 6, GL_TEXTURE_WIDTH), 1);
    EXPECT_NE(ReadBack(loaded.texture, GL_RGBA, GL_UNSIGNED_BYTE, l1.size(), 1), l1);
}

TEST(TextureGL, KytWithoutPixelDataLoads)
{
    KytHeader header;
    header.width = 8;
    header.height = 8;
    header.noData = 1;
    TempFile file(Kyt(header, ""), "kyt");
    Loaded loaded(file.Path());
    ASSERT_TRUE(loaded.ok) << loaded.errors;
    EXPECT_EQ(LevelParameter(loaded.texture, 0, GL_TEXTURE_WIDTH), 8);
}

TEST(TextureGL, UncompressedAndRunLengthTgaReadBack)
{
    // 3 x 2 at 24 bits: a 9-byte row, not a multiple of 4.
    std::string bgr = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
    TempFile plain(Tga(2, 3, 2, 24, bgr), "tga");
    Loaded a(plain.Path());
    ASSERT_TRUE(a.ok) << a.errors;
    EXPECT_EQ(LevelParameter(a.texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB8);
    EXPECT_EQ(ReadBack(a.texture, GL_RGB, GL_UNSIGNED_BYTE, 18),
              Bytes({3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13, 18, 17, 16}));

    // 3 x 2 at 32 bits: a run of four, then two raw pixels.
    std::string rle = Bytes({0x83, 10, 20, 30, 40, 0x01, 1, 2, 3, 4, 5, 6, 7, 8});
    TempFile packed(Tga(10, 3, 2, 32, rle), "tga");
    Loaded b(packed.Path());
    ASSERT_TRUE(b.ok) << b.errors;
    EXPECT_EQ(b.errors, "");
    EXPECT_EQ(LevelParameter(b.texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    EXPECT_EQ(ReadBack(b.texture, GL_RGBA, GL_UNSIGNED_BYTE, 24),
              Bytes({30, 20, 10, 40, 30, 20, 10, 40, 30, 20, 10, 40, 30, 20, 10, 40, 3, 2, 1, 4, 7, 6, 5, 8}));
    ExpectUnit0Empty();
}

TEST(TextureGL, Bmp24And32ReadBack)
{
    // 3 x 2 at 24 bits with 3 bytes of padding a row, bottom row first.
    std::string rows = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0});
    TempFile rgb(Bmp(3, 2, 24, rows), "bmp");
    Loaded a(rgb.Path());
    ASSERT_TRUE(a.ok) << a.errors;
    EXPECT_EQ(LevelParameter(a.texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB8);
    EXPECT_EQ(ReadBack(a.texture, GL_RGB, GL_UNSIGNED_BYTE, 18),
              Bytes({3, 2, 1, 6, 5, 4, 9, 8, 7, 13, 12, 11, 16, 15, 14, 19, 18, 17}));

    TempFile rgba(Bmp(2, 1, 32, Bytes({1, 2, 3, 4, 5, 6, 7, 8})), "bmp");
    Loaded b(rgba.Path());
    ASSERT_TRUE(b.ok) << b.errors;
    EXPECT_EQ(LevelParameter(b.texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    EXPECT_EQ(ReadBack(b.texture, GL_RGBA, GL_UNSIGNED_BYTE, 8), Bytes({3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST(TextureGL, FailuresLogTheirLines)
{
    Loaded missing("/nonexistent/none.kyt");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.errors, "Error: [Texture::Load] cannot open file '/nonexistent/none.kyt'.\n");
    EXPECT_EQ(missing.texture.textureName, 0u) << "no OpenGL object for a file that does not open";

    TempFile capitals(Tga(2, 1, 1, 24, Bytes({1, 2, 3})), "TGA");
    Loaded unknown(capitals.Path());
    EXPECT_FALSE(unknown.ok);
    EXPECT_EQ(unknown.errors,
              "Error: [Texture::Load] Could not load '" + std::string(capitals.Path()) + "' as a texture.\n\n");
    EXPECT_EQ(unknown.out, "");

    KytHeader hostile;
    hostile.width = 4096;
    hostile.height = 4096;
    TempFile lying(Kyt(hostile, Pattern(64)), "kyt");
    Loaded refused(lying.Path());
    EXPECT_FALSE(refused.ok);
    const std::string name = lying.Path();
    EXPECT_EQ(refused.errors.find("Error: [LoadRawTexture] '" + name + "'"), 0u) << refused.errors;
    EXPECT_NE(refused.errors.find("Error: [Texture::Load] Could not load '" + name + "' as a texture.\n\n"),
              std::string::npos);

    // The tables have no 8-bit float: OpenGL refuses, reported as such.
    KytHeader noValue;
    noValue.format = 0x004;
    TempFile table(Kyt(noValue, Pattern(4)), "kyt");
    Loaded creation(table.Path());
    EXPECT_FALSE(creation.ok);
    EXPECT_EQ(creation.errors.find("Error: [Texture::Load] "), 0u);
    EXPECT_NE(creation.errors.find(": Could not create raw texture: " + std::string(table.Path()) + "\n"),
              std::string::npos)
        << creation.errors;
    EXPECT_NE(creation.texture.textureName, 0u) << "the object is kept and deleted with the texture";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "nothing left for the next check";
    ExpectUnit0Empty();
}

TEST(TextureGL, RawDescriptionUploadsThroughTheCacheAndLeavesUnit0Empty)
{
    // A one-channel atlas 5 texels wide, as the font loader hands in.
    std::string atlas = Pattern(5 * 3);
    RawTexture raw;
    raw.format = FORMAT_R8;
    raw.width = 5;
    raw.height = 3;
    raw.levels[0] = reinterpret_cast<unsigned char*>(&atlas[0]);

    // Another unit active beforehand.
    BindingCache::activeUnit = 1;
    glActiveTexture(GL_TEXTURE1);
    Texture texture;
    testing::internal::CaptureStdout();
    bool ok = texture.Load(raw, "atlas");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Info: [Texture::Load] Successfully loaded raw texture: atlas\n");
    ASSERT_TRUE(ok);
    ExpectUnit0Empty();
    EXPECT_EQ(ReadBack(texture, GL_RED, GL_UNSIGNED_BYTE, atlas.size()), atlas);
    EXPECT_EQ(raw.levels[0], reinterpret_cast<unsigned char*>(&atlas[0])) << "the blocks are not taken";

    RawTexture badKind;
    badKind.kind = 7;
    badKind.width = badKind.height = 1;
    Texture refused;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(refused.Load(badKind, "kind 7"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("kind 7"), std::string::npos);

    // Levels given rather than generated: none is refused; the levels of a
    // 4 x 1 picture are 2 x 1 and 1 x 1, never thinner.
    std::string texels = Pattern(4 * 4 + 2 * 4 + 4);
    RawTexture given;
    given.generateMipmaps = false;
    given.width = 4;
    given.height = 1;
    for (int i = 0; i < 3; ++i)
        given.levels[i] = reinterpret_cast<unsigned char*>(&texels[i == 0 ? 0 : i == 1 ? 16 : 24]);
    for (int count : {0, 15})
    {
        given.levelCount = count;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(refused.Load(given, "levels"));
        EXPECT_NE(testing::internal::GetCapturedStderr().find(std::to_string(count) + " mipmap levels"),
                  std::string::npos);
    }
    given.levelCount = 3;
    Texture levels;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(levels.Load(given, "levels"));
    testing::internal::GetCapturedStdout();
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(LevelParameter(levels, i, GL_TEXTURE_WIDTH), 4 >> i) << "level " << i;
        EXPECT_EQ(LevelParameter(levels, i, GL_TEXTURE_HEIGHT), 1) << "level " << i;
    }
    EXPECT_EQ(ReadBack(levels, GL_RGBA, GL_UNSIGNED_BYTE, 4, 2), texels.substr(24));
}

TEST(TextureGL, DestroyingDeletesTheObjectAndForgetsItsBinding)
{
    GLuint name = 0;
    {
        std::string texel = "abcd";
        RawTexture raw;
        raw.width = raw.height = 1;
        raw.levels[0] = reinterpret_cast<unsigned char*>(&texel[0]);
        Texture texture;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(texture.Load(raw, "one texel"));
        testing::internal::GetCapturedStdout();
        name = texture.textureName;
        BindingCache::BindTexture(GL_TEXTURE_2D, name);
        EXPECT_TRUE(glIsTexture(name));
    }
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_EQ(BindingCache::texture0, 0u);
}

TEST(TextureGL, GetTextureSharesOneTexturePerName)
{
    TempFile file(Kyt(KytHeader(), "wxyz"), "kyt");
    testing::internal::CaptureStdout();
    Texture* first = KyE::ResourceManager::GetTexture(file.Path());
    Texture* second = KyE::ResourceManager::GetTexture(file.Path());
    std::string loads = testing::internal::GetCapturedStdout();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->referenceCount, 2);
    EXPECT_EQ(first->GetType(), 2);
    EXPECT_EQ(loads, "Info: [Texture::Load] Successfully loaded raw texture: " + std::string(file.Path()) + "\n");
    GLuint name = first->textureName;
    first->Release();
    testing::internal::CaptureStdout();
    second->Release();
    std::string deleted = testing::internal::GetCapturedStdout();
    EXPECT_NE(deleted.find("[Resource::DeleteResource] Deleted resource '"), std::string::npos);
    EXPECT_FALSE(glIsTexture(name));

    testing::internal::CaptureStderr();
    EXPECT_EQ(KyE::ResourceManager::GetTexture("/nonexistent/none.kyt"), nullptr);
    EXPECT_EQ(KyE::ResourceManager::GetTexture("/nonexistent/none.kyt"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: [Texture::Load] cannot open file '/nonexistent/none.kyt'.\n"
              "Error: [Texture::Load] cannot open file '/nonexistent/none.kyt'.\n");
}
