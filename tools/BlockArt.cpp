#include "tools/BlockArt.h"

#include "tools/Sdf.h"
#include "tools/Supersample.h"

#include <algorithm>
#include <cmath>

namespace
{

const BlockStyle styles[blockCount] = {
    {0xD55E00, Emblem::Heart, "vermilion"}, {0x56B4E9, Emblem::Dot, "sky blue"},
    {0xF0E442, Emblem::Star, "yellow"},     {0x009E73, Emblem::Triangle, "bluish green"},
    {0x0072B2, Emblem::Diamond, "blue"},    {0xCC79A7, Emblem::Cross, "reddish purple"},
    {0xE69F00, Emblem::Square, "orange"},   {0xC0C4D0, Emblem::Ring, "silver"},
};

// Tile geometry in texels. The tile keeps a thin empty margin so that
// neighbouring blocks on the board read as separate pieces.
const float centre = blockSize * 0.5f;
const float halfExtent = 30.5f;
const float cornerRadius = 12.0f;
const float bevelWidth = 6.0f;
const float rimWidth = 2.0f;
const int subSamples = 6; // per texel and axis

struct Vec3
{
    float x, y, z;
};

Vec3 Normalise(Vec3 v)
{
    float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / l, v.y / l, v.z / l};
}

float Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float BodyDistance(float x, float y)
{
    return SdfRoundedBox(x - centre, y - centre, halfExtent, halfExtent, cornerRadius);
}

float Luminance(const Colour& c)
{
    return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b;
}

Colour ShadeBody(const BlockStyle& style, float x, float y, float d)
{
    Colour base = ColourFromHex(style.colour);
    const Vec3 light = Normalise({-1.0f, -1.0f, 1.4f}); // upper left, towards the viewer
    const Vec3 halfway = Normalise({light.x, light.y, light.z + 1.0f});

    // Bevel: the height rises over bevelWidth from the edge, so the normal
    // tilts outwards near the rim and faces the viewer on the top.
    float inset = Clamp01(-d / bevelWidth);
    const float e = 0.25f;
    float gx = (BodyDistance(x + e, y) - BodyDistance(x - e, y)) / (2 * e);
    float gy = (BodyDistance(x, y + e) - BodyDistance(x, y - e)) / (2 * e);
    float slope = 2.0f * (1.0f - inset);
    Vec3 normal = Normalise({slope * gx, slope * gy, 1.0f});

    float diffuse = std::max(Dot(normal, light), 0.0f);
    float flat = light.z;
    float lum = 0.38f + 0.62f * diffuse / flat;
    // The top face brightens towards the light, too.
    lum *= 1.08f - 0.16f * ((x + y) / (2.0f * blockSize));
    Colour c = ScaleColour(base, lum);

    float specular = std::pow(std::max(Dot(normal, halfway), 0.0f), 60.0f);
    c = MixColour(c, {1, 1, 1, 1}, Clamp01(specular * 0.8f));

    // Soft gloss: an elliptical sheen in the upper-left part of the face.
    float gu = (x - 24.0f) / 19.0f, gv = (y - 19.0f) / 11.0f;
    float cs = std::cos(-0.5f), sn = std::sin(-0.5f);
    float ru = gu * cs - gv * sn, rv = gu * sn + gv * cs;
    float r = std::sqrt(ru * ru + rv * rv);
    c = MixColour(c, {1, 1, 1, 1}, 0.22f * (1.0f - SmoothStep(0.15f, 1.0f, r)));

    // Darker rim along the outline.
    float rim = SmoothStep(0.6f, rimWidth, -d);
    c = MixColour(ScaleColour(base, 0.42f), c, rim);
    c.a = 1.0f;
    return c;
}

Colour ApplyEmblem(const BlockStyle& style, float x, float y, const Colour& body)
{
    Colour base = ColourFromHex(style.colour);
    float ex = x - centre, ey = y - centre;
    float em = EmblemDistance(style.emblem, ex, ey);
    // Light faces carry a dark, engraved emblem; the others a light inlay.
    // Either way the emblem differs from its face in lightness, which every
    // kind of colour vision sees.
    bool engraved = Luminance(base) > 0.7f;
    Colour c = body;
    if (engraved)
    {
        // Engraving: the lower-right inner edge catches the light.
        float lit = EmblemDistance(style.emblem, ex + 1.2f, ey + 1.2f);
        Colour deep = ScaleColour(base, 0.36f);
        Colour glint = MixColour(base, {1, 1, 1, 1}, 0.6f);
        float inside = 1.0f - SmoothStep(-0.5f, 0.5f, em);
        float edge = (1.0f - SmoothStep(-0.5f, 0.5f, -lit)) * inside;
        Colour carved = MixColour(deep, glint, edge * 0.8f);
        c = MixColour(c, carved, inside);
    }
    else
    {
        // Inlay with a soft shadow cast to the lower right.
        float shadow = EmblemDistance(style.emblem, ex - 1.3f, ey - 1.6f);
        float shade = 0.5f * (1.0f - SmoothStep(-0.8f, 1.6f, shadow));
        c = ScaleColour(c, 1.0f - shade);
        Colour inlay = MixColour(base, {1, 1, 1, 1}, 0.8f);
        inlay = ScaleColour(inlay, 1.04f - 0.1f * (ey + 14.0f) / 28.0f);
        // A thin darker line keeps the inlay's outline crisp on any face.
        float outline = SmoothStep(-1.6f, -0.6f, em);
        inlay = MixColour(inlay, ScaleColour(base, 0.55f), outline * 0.7f);
        float inside = 1.0f - SmoothStep(-0.5f, 0.5f, em);
        c = MixColour(c, inlay, inside);
    }
    c.a = 1.0f;
    return c;
}

} // namespace

const BlockStyle& GetBlockStyle(int index)
{
    return styles[std::clamp(index, 0, blockCount - 1)];
}

float EmblemDistance(Emblem emblem, float x, float y)
{
    // About 26-30 texels across: about 21 pixels on a 49-pixel block.
    switch (emblem)
    {
    case Emblem::Heart:
        return SdfHeart(x, y + 0.5f, 14.0f);
    case Emblem::Dot:
        return SdfCircle(x, y, 10.5f);
    case Emblem::Star:
        return SdfStar(x, y + 1.0f, 17.5f, 0.47f) - 0.5f;
    case Emblem::Triangle:
        return SdfTriangle(x, y - 2.5f, 18.0f, 2.0f);
    case Emblem::Diamond:
        return SdfDiamond(x, y, 16.5f, 2.0f);
    case Emblem::Cross:
        return SdfCross(x, y, 15.0f, 4.8f, 1.5f);
    case Emblem::Square:
        return SdfRoundedBox(x, y, 12.0f, 12.0f, 2.5f);
    case Emblem::Ring:
        return std::fabs(SdfCircle(x, y, 11.5f)) - 3.8f;
    }
    return 1e9f;
}

Image PaintBlock(int index)
{
    return PaintBlock(index, blockSize);
}

Image PaintBlock(int index, int size)
{
    const BlockStyle& style = GetBlockStyle(index);
    Image tile(size, size, {0, 0, 0, 0});
    // The art is drawn in tile texels; other sizes sample it more or less
    // densely. At blockSize the scale is exactly 1, so the game's tiles are
    // unchanged by it.
    const float scale = static_cast<float>(blockSize) / size;
    Supersample(tile, subSamples, scale, [&style](float x, float y, Colour& c) {
        const float d = BodyDistance(x, y);
        if (d > 0.0f)
            return false;
        c = ApplyEmblem(style, x, y, ShadeBody(style, x, y, d));
        return true;
    });
    tile.BleedColour(2);
    return tile;
}
