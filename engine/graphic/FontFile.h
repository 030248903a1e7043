#pragma once
#include <cstdint>

// The reading of a font file, apart from its upload: every field and size
// is read and checked here without any OpenGL call, so that the parsing can
// be exercised on its own.
namespace KyE
{
namespace Graphic
{
struct FontFile
{
    int32_t lineHeight;
    int32_t atlasWidth;
    int32_t atlasHeight;
    uint8_t advance[256];
    float texCoords[256][4];
    // atlasWidth x atlasHeight coverage bytes from malloc; the caller frees
    // them. Null unless ReadFontFile succeeded.
    unsigned char* pixels;
};

// Reads and checks the whole file; every failure is logged under
// "[Font::Load]", the operation that reads fonts, and leaves pixels null.
bool ReadFontFile(const char* fileName, FontFile& out);
} // namespace Graphic
} // namespace KyE
