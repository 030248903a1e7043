#include "tools/FontBaker.h"

#include "engine/core/LittleEndian.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{

struct GlyphBitmap
{
    int advance = 0; // font pixels
    int left = 0;    // ink offset from the pen, texels
    int top = 0;     // ink top above the baseline, texels
    int width = 0, height = 0;
    std::vector<uint8_t> coverage;
};

bool RenderGlyph(FT_Face face, int code, GlyphBitmap& glyph, const std::string& path)
{
    if (FT_Get_Char_Index(face, static_cast<FT_ULong>(code)) == 0)
    {
        std::fprintf(stderr, "tumblox_assets: '%s' has no glyph for U+%04X\n", path.c_str(), code);
        return false;
    }
    // Light hinting snaps horizontal stems to the pixel grid and leaves the
    // shapes' widths alone, which suits text that is also drawn scaled.
    FT_Error error = FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT);
    if (error)
    {
        std::fprintf(stderr, "tumblox_assets: cannot render the glyph for U+%04X from '%s' (FreeType error %d)\n", code,
                     path.c_str(), error);
        return false;
    }
    FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.width > 0 && bitmap.rows > 0 && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
    {
        std::fprintf(stderr, "tumblox_assets: glyph U+%04X from '%s' did not render to grey levels\n", code,
                     path.c_str());
        return false;
    }
    long advance = (slot->advance.x + 32) >> 6;
    if (advance < 0 || advance > 255)
    {
        std::fprintf(stderr, "tumblox_assets: glyph U+%04X from '%s' is %ld pixels wide, more than a cell holds\n",
                     code, path.c_str(), advance);
        return false;
    }
    glyph.advance = static_cast<int>(advance);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.height = static_cast<int>(bitmap.rows);
    glyph.coverage.assign(static_cast<size_t>(glyph.width) * glyph.height, 0);
    for (int y = 0; y < glyph.height; ++y)
    {
        const unsigned char* row = bitmap.buffer + static_cast<long>(y) * bitmap.pitch;
        if (bitmap.pitch < 0)
            row = bitmap.buffer + static_cast<long>(glyph.height - 1 - y) * -bitmap.pitch;
        std::memcpy(&glyph.coverage[static_cast<size_t>(y) * glyph.width], row, glyph.width);
    }
    return true;
}

// Where the glyph's ink goes in a cell of cellWidth texels: as FreeType
// placed it if it fits, else moved just enough to fit, else centred.
int InkColumn(const GlyphBitmap& glyph, int cellWidth)
{
    if (glyph.width >= cellWidth)
        return (cellWidth - glyph.width) / 2;
    return std::clamp(glyph.left, 0, cellWidth - glyph.width);
}

} // namespace

bool BakeFont(const std::string& path, BakedFont& font)
{
    FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe)
    {
        std::fprintf(stderr, "tumblox_assets: cannot open the TrueType font '%s': %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    std::fclose(probe);

    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library))
    {
        std::fprintf(stderr, "tumblox_assets: cannot start FreeType\n");
        return false;
    }
    FT_Face face = nullptr;
    FT_Error error = FT_New_Face(library, path.c_str(), 0, &face);
    if (error)
    {
        std::fprintf(stderr, "tumblox_assets: '%s' is not a font FreeType can read (error %d)\n", path.c_str(), error);
        FT_Done_FreeType(library);
        return false;
    }
    bool ok = true;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0)
    {
        std::fprintf(stderr, "tumblox_assets: '%s' is not a scalable outline font\n", path.c_str());
        ok = false;
    }

    // The em size that makes the face's ascent plus descent the cell less
    // a little leading, so that a line of text sits inside a button or a
    // text field of its own height instead of touching its rims.
    int baseline = 0;
    if (ok)
    {
        double extent = static_cast<double>(face->ascender - face->descender) / face->units_per_EM;
        int pixelSize = static_cast<int>(std::floor((fontLineHeight - fontLeading) / extent));
        if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)))
        {
            std::fprintf(stderr, "tumblox_assets: cannot size '%s' to %d pixels\n", path.c_str(), pixelSize);
            ok = false;
        }
        double ascent = static_cast<double>(face->ascender) / face->units_per_EM * pixelSize;
        double descent = static_cast<double>(-face->descender) / face->units_per_EM * pixelSize;
        // Centre the face's extent in the cell, rounding the baseline to a
        // whole texel so that every glyph sits on the same row.
        baseline = static_cast<int>(std::lround(ascent + (fontLineHeight - ascent - descent) * 0.5));
    }

    std::vector<GlyphBitmap> glyphs(256);
    for (int c = 0; ok && c < 256; ++c)
        if (IsPrintableLatin1(c))
            ok = RenderGlyph(face, c, glyphs[c], path);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!ok)
        return false;

    // Pack the cells in byte order, rows of fontAtlasWidth texels, with
    // padding on every side so that linear filtering never reaches into a
    // neighbouring cell.
    const int cellHeight = fontLineHeight;
    int cellX[256] = {}, cellY[256] = {};
    int x = fontCellPadding, y = fontCellPadding;
    for (int c = 0; c < 256; ++c)
    {
        if (!IsPrintableLatin1(c))
            continue;
        int w = glyphs[c].advance;
        if (x + w + fontCellPadding > fontAtlasWidth)
        {
            x = fontCellPadding;
            y += cellHeight + fontCellPadding;
        }
        cellX[c] = x;
        cellY[c] = y;
        x += w + fontCellPadding;
    }
    int height = y + cellHeight + fontCellPadding;
    height = (height + 7) / 8 * 8;

    font = BakedFont();
    font.lineHeight = fontLineHeight;
    font.atlasWidth = fontAtlasWidth;
    font.atlasHeight = height;
    font.atlas.assign(static_cast<size_t>(fontAtlasWidth) * height, 0);
    const float invW = 1.0f / fontAtlasWidth, invH = 1.0f / height;
    for (int c = 0; c < 256; ++c)
    {
        float* rect = font.texCoords[c];
        if (!IsPrintableLatin1(c))
        {
            // The centre of the blank corner texel: an empty rectangle.
            rect[0] = rect[2] = 0.5f * invW;
            rect[1] = rect[3] = 0.5f * invH;
            continue;
        }
        const GlyphBitmap& g = glyphs[c];
        font.advance[c] = static_cast<uint8_t>(g.advance);
        rect[0] = cellX[c] * invW;
        rect[1] = cellY[c] * invH;
        rect[2] = (cellX[c] + g.advance) * invW;
        rect[3] = (cellY[c] + cellHeight) * invH;

        int inkX = InkColumn(g, g.advance);
        int inkY = baseline - g.top;
        bool clipped = false;
        for (int gy = 0; gy < g.height; ++gy)
            for (int gx = 0; gx < g.width; ++gx)
            {
                uint8_t v = g.coverage[static_cast<size_t>(gy) * g.width + gx];
                if (v == 0)
                    continue;
                int cx = inkX + gx, cy = inkY + gy;
                if (cx < 0 || cy < 0 || cx >= g.advance || cy >= cellHeight)
                {
                    clipped = true;
                    continue;
                }
                font.atlas[static_cast<size_t>(cellY[c] + cy) * fontAtlasWidth + cellX[c] + cx] = v;
            }
        if (clipped)
            ++font.clippedGlyphs;
    }
    return true;
}

std::vector<uint8_t> EncodeKyf(const BakedFont& font)
{
    std::vector<uint8_t> out = {'K', 'y', 'F', 'o'};
    out.reserve(4368 + font.atlas.size());
    AppendLE32(out, static_cast<uint32_t>(font.lineHeight));
    AppendLE32(out, static_cast<uint32_t>(font.atlasWidth));
    AppendLE32(out, static_cast<uint32_t>(font.atlasHeight));
    out.insert(out.end(), font.advance, font.advance + 256);
    for (int c = 0; c < 256; ++c)
        for (int i = 0; i < 4; ++i)
        {
            uint32_t bits;
            std::memcpy(&bits, &font.texCoords[c][i], 4);
            AppendLE32(out, bits);
        }
    out.insert(out.end(), font.atlas.begin(), font.atlas.end());
    return out;
}
