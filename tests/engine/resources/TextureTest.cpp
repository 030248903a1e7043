// The format tables and the texture object's state before any upload; no
// OpenGL context is needed for either.
#include "engine/resources/Texture.h"

#include <gtest/gtest.h>

using namespace KyE::Graphic::Material;

TEST(TextureFormats, TablesGiveTheValuesOfEachLayoutKindAndSize)
{
    EXPECT_EQ(InternalFormatOf(FORMAT_RGBA8, 0), GL_RGBA8);
    EXPECT_EQ(PixelFormatOf(FORMAT_RGBA8), GLenum(GL_RGBA));
    EXPECT_EQ(DataTypeOf(FORMAT_RGBA8, 0), GLenum(GL_UNSIGNED_BYTE));
    EXPECT_EQ(InternalFormatOf(FORMAT_R8, 0), GL_R8);
    EXPECT_EQ(PixelFormatOf(FORMAT_R8), GLenum(GL_RED));

    EXPECT_EQ(InternalFormatOf(MakeFormat(LAYOUT_RG, COMPONENT_SIGNED_INTEGER), 3), GL_RG32I);
    EXPECT_EQ(PixelFormatOf(MakeFormat(LAYOUT_RG, COMPONENT_SIGNED_INTEGER)), GLenum(GL_RG_INTEGER));
    EXPECT_EQ(DataTypeOf(MakeFormat(LAYOUT_RG, COMPONENT_SIGNED_INTEGER), 3), GLenum(GL_INT));
    EXPECT_EQ(InternalFormatOf(MakeFormat(LAYOUT_RGB, COMPONENT_SIGNED_NORMALISED), 1), GL_RGB16_SNORM);
    EXPECT_EQ(DataTypeOf(MakeFormat(LAYOUT_RGB, COMPONENT_SIGNED_NORMALISED), 1), GLenum(GL_SHORT));
    EXPECT_EQ(InternalFormatOf(MakeFormat(LAYOUT_RGBA, COMPONENT_UNSIGNED_INTEGER), 1), GL_RGBA16UI);
    EXPECT_EQ(PixelFormatOf(MakeFormat(LAYOUT_RGBA, COMPONENT_UNSIGNED_INTEGER)), GLenum(GL_RGBA_INTEGER));
    EXPECT_EQ(InternalFormatOf(MakeFormat(LAYOUT_R, COMPONENT_FLOAT), 3), GL_R32F);
    EXPECT_EQ(DataTypeOf(MakeFormat(LAYOUT_R, COMPONENT_FLOAT), 3), GLenum(GL_FLOAT));
    // Read at their own width, so that OpenGL reads what the block holds.
    EXPECT_EQ(InternalFormatOf(MakeFormat(LAYOUT_RGBA, COMPONENT_FLOAT), 1), GL_RGBA16F);
    EXPECT_EQ(DataTypeOf(MakeFormat(LAYOUT_RGBA, COMPONENT_FLOAT), 1), GLenum(GL_HALF_FLOAT));

    const int depth = MakeFormat(LAYOUT_DEPTH, COMPONENT_UNSIGNED_NORMALISED);
    EXPECT_EQ(InternalFormatOf(depth, 1), GL_DEPTH_COMPONENT16);
    EXPECT_EQ(InternalFormatOf(depth, 2), GL_DEPTH_COMPONENT24);
    EXPECT_EQ(InternalFormatOf(depth, 3), GL_DEPTH_COMPONENT32);
    EXPECT_EQ(PixelFormatOf(MakeFormat(LAYOUT_DEPTH, COMPONENT_SIGNED_INTEGER)), GLenum(GL_DEPTH_COMPONENT));
    EXPECT_EQ(InternalFormatOf(MakeFormat(LAYOUT_DEPTH, COMPONENT_UNSIGNED_INTEGER), 3), 0);
    EXPECT_EQ(InternalFormatOf(MakeFormat(LAYOUT_DEPTH_STENCIL, COMPONENT_UNSIGNED_NORMALISED), 2),
              GL_DEPTH24_STENCIL8);
    EXPECT_EQ(InternalFormatOf(MakeFormat(LAYOUT_DEPTH_STENCIL, COMPONENT_FLOAT), 3), GL_DEPTH32F_STENCIL8);
    EXPECT_EQ(PixelFormatOf(MakeFormat(LAYOUT_DEPTH_STENCIL, COMPONENT_FLOAT)), GLenum(GL_DEPTH_STENCIL));

    // Cells without a value.
    EXPECT_EQ(InternalFormatOf(MakeFormat(LAYOUT_R, COMPONENT_FLOAT), 0), 0);
    EXPECT_EQ(DataTypeOf(MakeFormat(LAYOUT_R, COMPONENT_FLOAT), 0), 0u);
    EXPECT_EQ(InternalFormatOf(FORMAT_RGBA8, 2), 0);
    EXPECT_EQ(DataTypeOf(FORMAT_RGBA8, 2), 0u);
    EXPECT_EQ(InternalFormatOf(MakeFormat(LAYOUT_RGB, COMPONENT_UNSIGNED_NORMALISED), 3), 0);
}

TEST(TextureFormats, CodesOutsideTheTablesHaveNoValue)
{
    for (int format : {-1, MakeFormat(6, 3), MakeFormat(3, 5), MakeFormat(255, 255), 0xFFFF})
    {
        EXPECT_EQ(InternalFormatOf(format, 0), 0) << format;
        EXPECT_EQ(PixelFormatOf(format), 0u) << format;
        EXPECT_EQ(DataTypeOf(format, 0), 0u) << format;
    }
    EXPECT_EQ(InternalFormatOf(FORMAT_RGBA8, 4), 0);
    EXPECT_EQ(InternalFormatOf(FORMAT_RGBA8, -1), 0);
    EXPECT_EQ(TargetOfKind(0), GLenum(GL_TEXTURE_CUBE_MAP));
    EXPECT_EQ(TargetOfKind(1), GLenum(GL_TEXTURE_1D));
    EXPECT_EQ(TargetOfKind(2), GLenum(GL_TEXTURE_2D));
    EXPECT_EQ(TargetOfKind(3), GLenum(GL_TEXTURE_3D));
    EXPECT_EQ(TargetOfKind(4), 0u);
    EXPECT_EQ(TargetOfKind(-1), 0u);
}

TEST(Texture, FreshTextureOwnsNoObject)
{
    Texture texture;
    EXPECT_EQ(texture.textureName, 0u);
    EXPECT_EQ(texture.GetType(), 2);
    EXPECT_EQ(texture.referenceCount, 1);
    EXPECT_EQ(texture.element, nullptr);
}

TEST(Texture, FileThatDoesNotOpenMakesNoObject)
{
    Texture texture;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(texture.Load("/nonexistent/block01.kyt"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: [Texture::Load] cannot open file '/nonexistent/block01.kyt'.\n");
    EXPECT_EQ(texture.textureName, 0u);
}
