#include "engine/graphic/FontFile.h"

#include "engine/core/LittleEndian.h"
#include "engine/core/Log.h"
#include "platform/KyFile.h"
#include <climits>
#include <cstdlib>
#include <cstring>

namespace KyE
{
namespace Graphic
{
namespace
{
constexpr int HEADER_SIZE = 16;
constexpr int TEX_COORDS_SIZE = 256 * 4 * 4;

int32_t ReadSigned32(const unsigned char* p)
{
    const uint32_t v = ReadLE32(p);
    int32_t result;
    memcpy(&result, &v, sizeof(result));
    return result;
}

float ReadLEFloat(const unsigned char* p)
{
    int32_t bits = ReadSigned32(p);
    float result;
    memcpy(&result, &bits, sizeof(result));
    return result;
}
} // namespace

bool ReadFontFile(const char* fileName, FontFile& out)
{
    out.pixels = nullptr;
    KyFile file;
    if (file.OpenFile(fileName, KY_FILE_READ) != 0)
    {
        LogError("[Font::Load] Could not open '%s'.", fileName);
        return false;
    }

    unsigned char header[HEADER_SIZE];
    if (file.Read(header, HEADER_SIZE) != 0)
    {
        LogError("[Font::Load] Cannot read file header from '%s'.", fileName);
        file.CloseFile();
        return false;
    }
    if (memcmp(header, "KyFo", 4) != 0)
    {
        LogError("[Font::Load] Could not load '%s' scince the signature is wrong.", fileName);
        file.CloseFile();
        return false;
    }
    out.lineHeight = ReadSigned32(header + 4);
    out.atlasWidth = ReadSigned32(header + 8);
    out.atlasHeight = ReadSigned32(header + 12);

    unsigned char coords[TEX_COORDS_SIZE];
    if (file.Read(out.advance, sizeof(out.advance)) != 0 || file.Read(coords, TEX_COORDS_SIZE) != 0)
    {
        LogError("[Font::Load] Cannot read file data from '%s'.", fileName);
        file.CloseFile();
        return false;
    }
    for (int i = 0; i < 256; ++i)
        for (int k = 0; k < 4; ++k)
            out.texCoords[i][k] = ReadLEFloat(coords + (i * 4 + k) * 4);

    // Every size the drawing divides by or allocates from is checked here,
    // and the atlas against what the file really holds, before allocating.
    if (out.lineHeight < 1)
    {
        LogError("[Font::Load] The line height %d in '%s' is not valid.", out.lineHeight, fileName);
        file.CloseFile();
        return false;
    }
    if (out.atlasWidth < 1 || out.atlasHeight < 1 || int64_t(out.atlasWidth) * out.atlasHeight > INT_MAX)
    {
        LogError("[Font::Load] The atlas size %d x %d in '%s' is not valid.", out.atlasWidth, out.atlasHeight,
                 fileName);
        file.CloseFile();
        return false;
    }
    const int pixelBytes = out.atlasWidth * out.atlasHeight;
    if (file.Remaining() < pixelBytes)
    {
        LogError("[Font::Load] Cannot read file data from '%s'.", fileName);
        file.CloseFile();
        return false;
    }

    unsigned char* pixels = static_cast<unsigned char*>(malloc(static_cast<size_t>(pixelBytes)));
    if (pixels == nullptr)
    {
        LogOutOfMemory(static_cast<unsigned long long>(pixelBytes));
        file.CloseFile();
        return false;
    }
    if (file.Read(pixels, pixelBytes) != 0)
    {
        LogError("[Font::Load] Cannot read file data from '%s'.", fileName);
        free(pixels);
        file.CloseFile();
        return false;
    }
    file.CloseFile();
    out.pixels = pixels;
    return true;
}
} // namespace Graphic
} // namespace KyE
