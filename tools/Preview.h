#pragma once
// Draws pictures the way the game's 2D drawing shows them, for the contact
// sheet: a texture stretched over a rectangle of whole pixels, sampled with
// the game's filters (nearest when shrinking, linear when enlarging),
// texels with alpha below 0.2 thrown away, the rest blended by their alpha
// (or drawn opaque, as the GUI's constant-alpha blending does at opacity 1).

#include "tools/Image.h"

enum class PreviewBlend
{
    SourceAlpha,
    Opaque
};

void DrawPreview(Image& target, const Image& texture, float x, float y, float width, float height, PreviewBlend blend);

// Samples `texture` at texture coordinates (s, t) in 0..1 with t = 0 at the
// picture's top row, nearest or bilinear (clamped at the border).
Colour SampleNearest(const Image& texture, float s, float t);
Colour SampleLinear(const Image& texture, float s, float t);

struct BakedFont;

// The font's atlas as a grey picture (coverage in every channel).
Image AtlasImage(const BakedFont& font);

// Draws text as the game's text drawing does when one font pixel covers
// scaleX by scaleY window pixels: top-left of the first line at (x, y), y
// down, glyph coverage below 0.2 thrown away, the rest blended by coverage.
// Line feeds start a new line; tabs are not expanded.
void DrawPreviewText(Image& target, const BakedFont& font, const Image& atlas, const char* text, float x, float y,
                     float scaleX, float scaleY, Colour colour);
// Width of the widest line in font pixels.
int PreviewTextWidth(const BakedFont& font, const char* text);
