#include "engine/resources/RawTexture.h"

#include <cstdlib>

namespace KyE
{
namespace Graphic
{
namespace Material
{
RawTexture::RawTexture()
{
    // Every slot starts empty, not only the first, so that FreeLevels never
    // meets an indeterminate pointer whatever a loader did before failing.
    for (unsigned char*& level : levels)
        level = nullptr;
    SetDefaults();
}

void RawTexture::SetDefaults()
{
    levelCount = 1;
    generateMipmaps = true;
    componentSize = COMPONENT_SIZE_8;
    format = FORMAT_RGBA8;
    kind = TEXTURE_KIND_2D;
    width = 0;
    height = 0;
    depth = 1;
}

void RawTexture::FreeLevels()
{
    for (unsigned char*& level : levels)
    {
        std::free(level);
        level = nullptr;
    }
}

bool IsKnownFormat(int format, int componentSize)
{
    int layout = format >> 8;
    int kind = format & 0xFF;
    return format >= 0 && layout < LAYOUT_COUNT && kind < COMPONENT_KIND_COUNT && componentSize >= 0 &&
           componentSize < COMPONENT_SIZE_COUNT;
}

int BytesPerTexel(int format, int componentSize)
{
    if (!IsKnownFormat(format, componentSize))
        return 0;
    return ((format >> 8) + 1) * (componentSize + 1);
}
} // namespace Material
} // namespace Graphic
} // namespace KyE
