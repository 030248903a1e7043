#pragma once
#include "engine/resources/RawTexture.h"
#include "engine/resources/Resource.h"

#include <GL/glew.h>

class KyFile;

namespace KyE
{
namespace Graphic
{
namespace Material
{
// The engine's texture resource, obtained through ResourceManager::GetTexture
// and given back with Release. Main thread only: it needs the OpenGL context.
class Texture : public ResourceManager::Resource
{
public:
    Texture();
    int GetType() const override;
    ~Texture() override;

    // Reads a ".kyt", "tga" or "bmp" file (by the extension, case-sensitive)
    // and creates the OpenGL texture from it.
    bool Load(const char* fileName);
    // Creates the OpenGL texture from a description; name is for the log.
    // Level blocks are read, not taken: each must hold its level's texels,
    // tightly packed. The unpack alignment is 1 during the upload only.
    bool Load(const RawTexture& rawTexture, const char* name);
    // Loads the file it is registered under again, into a new OpenGL object.
    bool Recreate() override;

    // The TGA decoder: fills rawTexture's level 0 from a file at its start.
    // fileName names the file in the messages.
    static bool LoadTGA(KyFile& file, RawTexture& rawTexture, const char* fileName);

    int componentSize;
    int format;
    GLenum target;
    GLuint textureName;
    int width;
    int height;
    int depth;
};

// The OpenGL values of the format tables; 0 where a table has no value (and
// for codes outside the tables), which OpenGL then refuses at upload.
GLenum TargetOfKind(int kind);
GLint InternalFormatOf(int format, int componentSize);
GLenum PixelFormatOf(int format);
GLenum DataTypeOf(int format, int componentSize);
} // namespace Material
} // namespace Graphic
} // namespace KyE
