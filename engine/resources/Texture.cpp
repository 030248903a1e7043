#include "engine/resources/Texture.h"

#include "engine/core/BindingCache.h"
#include "engine/core/Log.h"
#include "engine/resources/ResourceManager.h"
#include "engine/resources/TextureDecoders.h"
#include "platform/KyFile.h"

#include <GL/glu.h>
#include <new>

namespace KyE
{
namespace Graphic
{
namespace Material
{
namespace
{
// Internal formats by layout, component kind and component size.
const GLint INTERNAL_FORMATS[LAYOUT_COUNT][COMPONENT_KIND_COUNT][COMPONENT_SIZE_COUNT] = {
    {
        {GL_R8I, GL_R16I, 0, GL_R32I},
        {GL_R8_SNORM, GL_R16_SNORM, 0, 0},
        {GL_R8UI, GL_R16UI, 0, GL_R32UI},
        {GL_R8, GL_R16, 0, 0},
        {0, GL_R16F, 0, GL_R32F},
    },
    {
        {GL_RG8I, GL_RG16I, 0, GL_RG32I},
        {GL_RG8_SNORM, GL_RG16_SNORM, 0, 0},
        {GL_RG8UI, GL_RG16UI, 0, GL_RG32UI},
        {GL_RG8, GL_RG16, 0, 0},
        {0, GL_RG16F, 0, GL_RG32F},
    },
    {
        {GL_RGB8I, GL_RGB16I, 0, GL_RGB32I},
        {GL_RGB8_SNORM, GL_RGB16_SNORM, 0, 0},
        {GL_RGB8UI, GL_RGB16UI, 0, GL_RGB32UI},
        {GL_RGB8, GL_RGB16, 0, 0},
        {0, GL_RGB16F, 0, GL_RGB32F},
    },
    {
        {GL_RGBA8I, GL_RGBA16I, 0, GL_RGBA32I},
        {GL_RGBA8_SNORM, GL_RGBA16_SNORM, 0, 0},
        {GL_RGBA8UI, GL_RGBA16UI, 0, GL_RGBA32UI},
        {GL_RGBA8, GL_RGBA16, 0, 0},
        {0, GL_RGBA16F, 0, GL_RGBA32F},
    },
    {
        {0, 0, 0, 0},
        {0, 0, 0, 0},
        {0, 0, 0, 0},
        {0, GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT32},
        {0, 0, 0, GL_DEPTH_COMPONENT32F},
    },
    {
        {0, 0, 0, 0},
        {0, 0, 0, 0},
        {0, 0, 0, 0},
        {0, 0, GL_DEPTH24_STENCIL8, 0},
        {0, 0, 0, GL_DEPTH32F_STENCIL8},
    },
};

// Pixel formats by layout and component kind.
const GLenum PIXEL_FORMATS[LAYOUT_COUNT][COMPONENT_KIND_COUNT] = {
    {GL_RED_INTEGER, GL_RED, GL_RED_INTEGER, GL_RED, GL_RED},
    {GL_RG_INTEGER, GL_RG, GL_RG_INTEGER, GL_RG, GL_RG},
    {GL_RGB_INTEGER, GL_RGB, GL_RGB_INTEGER, GL_RGB, GL_RGB},
    {GL_RGBA_INTEGER, GL_RGBA, GL_RGBA_INTEGER, GL_RGBA, GL_RGBA},
    {GL_DEPTH_COMPONENT, GL_DEPTH_COMPONENT, GL_DEPTH_COMPONENT, GL_DEPTH_COMPONENT, GL_DEPTH_COMPONENT},
    {GL_DEPTH_STENCIL, GL_DEPTH_STENCIL, GL_DEPTH_STENCIL, GL_DEPTH_STENCIL, GL_DEPTH_STENCIL},
};

// Pixel data types by component kind and component size. Each type is as
// wide as its column, so OpenGL reads no more bytes a texel than the block
// holds: 16-bit floats are read as half floats, not as 32-bit floats.
const GLenum DATA_TYPES[COMPONENT_KIND_COUNT][COMPONENT_SIZE_COUNT] = {
    {GL_BYTE, GL_SHORT, 0, GL_INT},
    {GL_BYTE, GL_SHORT, 0, GL_INT},
    {GL_UNSIGNED_BYTE, GL_UNSIGNED_SHORT, 0, GL_UNSIGNED_INT},
    {GL_UNSIGNED_BYTE, GL_UNSIGNED_SHORT, 0, GL_UNSIGNED_INT},
    {0, GL_HALF_FLOAT, 0, GL_FLOAT},
};

const GLenum TARGETS[TEXTURE_KIND_COUNT] = {GL_TEXTURE_CUBE_MAP, GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D};

int HalveExtent(int extent)
{
    extent >>= 1;
    return extent > 1 ? extent : 1;
}

const char* ErrorText(GLenum error)
{
    const GLubyte* text = gluErrorString(error);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "unknown error";
}
} // namespace

GLenum TargetOfKind(int kind)
{
    return kind >= 0 && kind < TEXTURE_KIND_COUNT ? TARGETS[kind] : 0;
}

GLint InternalFormatOf(int format, int componentSize)
{
    if (!IsKnownFormat(format, componentSize))
        return 0;
    return INTERNAL_FORMATS[format >> 8][format & 0xFF][componentSize];
}

GLenum PixelFormatOf(int format)
{
    if (!IsKnownFormat(format, COMPONENT_SIZE_8))
        return 0;
    return PIXEL_FORMATS[format >> 8][format & 0xFF];
}

GLenum DataTypeOf(int format, int componentSize)
{
    if (!IsKnownFormat(format, componentSize))
        return 0;
    return DATA_TYPES[format & 0xFF][componentSize];
}

Texture::Texture() : componentSize(0), format(0), target(0), textureName(0), width(0), height(0), depth(0)
{
}

int Texture::GetType() const
{
    return 2;
}

Texture::~Texture()
{
    if (textureName == 0)
        return;
    // OpenGL unbinds a deleted texture; the cache must forget it too, or a
    // later texture given the same name would never be bound.
    if (BindingCache::texture0 == textureName)
        BindingCache::texture0 = 0;
    glDeleteTextures(1, &textureName);
}

bool Texture::Load(const char* fileName)
{
    if (fileName == nullptr)
    {
        LogError("[Texture::Load] cannot open file '%s'.", "");
        return false;
    }
    KyFile file;
    if (file.OpenFile(fileName, KY_FILE_READ) != KY_OK)
    {
        LogError("[Texture::Load] cannot open file '%s'.", fileName);
        return false;
    }
    RawTexture rawTexture;
    bool decoded = DecodeTextureFile(file, fileName, rawTexture);
    file.CloseFile();

    bool result = false;
    if (!decoded)
        LogError("[Texture::Load] Could not load '%s' as a texture.\n", fileName);
    else
        result = Load(rawTexture, fileName);
    rawTexture.FreeLevels();
    return result;
}

bool Texture::Recreate()
{
    // The old object went with the context. Its name is forgotten, not
    // deleted: the new context may have given it to another object.
    textureName = 0;
    if (GetName() == nullptr)
        return false; // made from pixels alone: nothing to load again
    return Load(GetName());
}

bool Texture::Load(const RawTexture& rawTexture, const char* name)
{
    if (name == nullptr)
        name = "";
    componentSize = rawTexture.componentSize;
    format = rawTexture.format;
    width = rawTexture.width;
    height = rawTexture.height;
    depth = rawTexture.depth;
    target = TargetOfKind(rawTexture.kind);
    if (target == 0)
    {
        LogError("[Texture::Load] Could not create raw texture %s: unknown texture kind %d.", name, rawTexture.kind);
        return false;
    }
    const int levelsToUpload = rawTexture.generateMipmaps ? 1 : rawTexture.levelCount;
    if (levelsToUpload < 1 || levelsToUpload > RAW_TEXTURE_MAX_LEVELS)
    {
        LogError("[Texture::Load] Could not create raw texture %s: %d mipmap levels, 1 to %d are supported.", name,
                 levelsToUpload, RAW_TEXTURE_MAX_LEVELS);
        return false;
    }

    // A second load into the same texture replaces its object.
    if (textureName != 0)
    {
        if (BindingCache::texture0 == textureName)
            BindingCache::texture0 = 0;
        glDeleteTextures(1, &textureName);
        textureName = 0;
    }
    // OpenGL cannot filter integer texels: with a linear filter such a
    // texture is incomplete and samples as zero, and it refuses to build
    // their mipmaps. They get the nearest texel both ways and keep level 0
    // alone, which the non-mipmapped minification filter samples completely.
    const int componentKind = format & 0xFF;
    const bool integerTexels = componentKind == COMPONENT_SIGNED_INTEGER || componentKind == COMPONENT_UNSIGNED_INTEGER;
    glGenTextures(1, &textureName);
    BindingCache::BindTexture(target, textureName);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, integerTexels ? GL_NEAREST : GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);

    const GLint internalFormat = InternalFormatOf(format, componentSize);
    const GLenum pixelFormat = PixelFormatOf(format);
    const GLenum dataType = DataTypeOf(format, componentSize);

    // Rows are tightly packed; at OpenGL's default alignment of 4 a row whose
    // length is not a multiple of 4 bytes would be read with padding that
    // the block does not have.
    GLint savedAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &savedAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    int w = width;
    int h = height;
    int d = depth;
    for (int i = 0; i < levelsToUpload; ++i)
    {
        const void* data = rawTexture.levels[i];
        switch (target)
        {
        case GL_TEXTURE_1D:
            glTexImage1D(GL_TEXTURE_1D, i, internalFormat, w, 0, pixelFormat, dataType, data);
            break;
        case GL_TEXTURE_2D:
            glTexImage2D(GL_TEXTURE_2D, i, internalFormat, w, h, 0, pixelFormat, dataType, data);
            break;
        case GL_TEXTURE_3D:
            glTexImage3D(GL_TEXTURE_3D, i, internalFormat, w, h, d, 0, pixelFormat, dataType, data);
            break;
        default:
            // A cube map gets its object without images.
            break;
        }
        w = HalveExtent(w);
        h = HalveExtent(h);
        d = HalveExtent(d);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, savedAlignment);
    if (rawTexture.generateMipmaps && !integerTexels)
        glGenerateMipmap(target);
    BindingCache::UnbindTexture(target);

    GLenum error = glGetError();
    if (error == GL_NO_ERROR)
    {
        LogInfo("[Texture::Load] Successfully loaded raw texture: %s", name);
        return true;
    }
    LogError("[Texture::Load] %s: Could not create raw texture: %s", ErrorText(error), name);
    // Later errors of the same failure are not left for someone else's check.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i)
    {
    }
    return false;
}
} // namespace Material
} // namespace Graphic

namespace ResourceManager
{
namespace
{
Resource* CreateTexture()
{
    return new (std::nothrow) Graphic::Material::Texture();
}

bool LoadTexture(Resource* resource, const char* name)
{
    return static_cast<Graphic::Material::Texture*>(resource)->Load(name);
}
} // namespace

Graphic::Material::Texture* GetTexture(const char* name)
{
    return static_cast<Graphic::Material::Texture*>(
        GetOrLoad(name, CreateTexture, LoadTexture, sizeof(Graphic::Material::Texture)));
}
} // namespace ResourceManager
} // namespace KyE
