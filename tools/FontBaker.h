#pragma once
// Rasterises a TrueType font with FreeType into the game's bitmap font: one
// cell per byte value (ISO-8859-1), advance widths in font pixels, one
// coverage atlas, and the atlas rectangle (s0, t0, s1, t1) of every cell.
//
// Orientation: the text drawing maps a glyph quad's top-left corner to
// (s0, t0) and its bottom-right corner to (s1, t1), and the atlas's first
// row is t = 0. The atlas is therefore kept top row first, like a picture,
// with t0 at the top of a cell and t1 below it.
//
// Bytes 32-126 and 160-255 get their glyphs (160 is a space, 173 the soft
// hyphen's visible form). Control bytes 0-31 and 127-159 have no glyph:
// advance 0 and an empty rectangle on a blank texel of the atlas, so they
// take no room and draw nothing.

#include <cstdint>
#include <string>
#include <vector>

// Cell height in font pixels. The button caption is drawn at about one
// window pixel per font pixel at 600 pixels of window height, and its line
// fills the 48-pixel button at that scale; the other texts of 0.05 to 0.08
// of the window height show these cells at 0.6 to 1.0 (600) and 1.25 to 2.0
// (1200) window pixels per font pixel.
constexpr int fontLineHeight = 48;
constexpr int fontLeading = 6; // font pixels of the cell above and below the face's extent
constexpr int fontAtlasWidth = 512;
constexpr int fontCellPadding = 2; // blank texels around every cell

struct BakedFont
{
    int lineHeight = 0;
    int atlasWidth = 0;
    int atlasHeight = 0;
    uint8_t advance[256] = {};
    float texCoords[256][4] = {};
    std::vector<uint8_t> atlas; // atlasWidth * atlasHeight coverage bytes, t = 0 row first
    int clippedGlyphs = 0;      // glyphs whose ink did not fit their cell
};

inline bool IsPrintableLatin1(int c)
{
    return (c >= 32 && c <= 126) || c >= 160;
}

// Reports a missing or unreadable font, a missing glyph or one FreeType
// cannot render on standard error and returns false.
bool BakeFont(const std::string& trueTypePath, BakedFont& font);

// The font file: "KyFo", line height, atlas size, 256 advances, 256 x 4
// floats, the atlas; little-endian, 4368 + width * height bytes.
std::vector<uint8_t> EncodeKyf(const BakedFont& font);
