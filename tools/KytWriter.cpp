#include "tools/KytWriter.h"

#include "engine/core/LittleEndian.h"

std::vector<uint8_t> EncodeKyt(const Image& image)
{
    const unsigned layoutRGBA = 3, kindUnsignedNormalised = 3, size8Bits = 0;
    const int bytesPerTexel = 4;
    std::vector<uint8_t> out = {'K', 'T', 'e', 'x'};
    AppendLE16(out, layoutRGBA * 256 + kindUnsignedNormalised);
    AppendLE16(out, static_cast<unsigned>(image.Width()));
    AppendLE16(out, static_cast<unsigned>(image.Height()));
    AppendLE16(out, 1);                  // depth
    out.insert(out.end(), {0, 0, 0, 0}); // no-data flag clear: the level follows
    AppendLE16(out, 1);                  // one level; the loader has OpenGL build the rest
    AppendLE16(out, size8Bits);
    out.insert(out.end(), 8, 0); // reserved

    std::vector<uint8_t> rgba = image.ToRGBA8();
    size_t rowBytes = static_cast<size_t>(image.Width()) * bytesPerTexel;
    for (int y = image.Height() - 1; y >= 0; --y)
        out.insert(out.end(), rgba.begin() + rowBytes * y, rgba.begin() + rowBytes * (y + 1));
    // One level's padding brings a row of the level to a multiple of 4
    // bytes; with four bytes a texel it is always 0, kept for the rule's sake.
    size_t padding = (4 - rowBytes % 4) % 4;
    out.insert(out.end(), padding, 0);
    return out;
}
