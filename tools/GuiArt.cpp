#include "tools/GuiArt.h"

#include "tools/Sdf.h"
#include "tools/Supersample.h"

#include <cmath>

namespace
{

const float cornerRadius = 12.0f;
const int subSamples = 4;

struct FaceStyle
{
    Colour top, bottom;  // face gradient
    Colour rim;          // outer outline
    Colour edgeLight;    // the inner line that catches the light
    float edgeLightSide; // -1 along the top edge (raised), +1 along the bottom (sunk)
    float gloss;         // strength of the sheen on the upper half
    float innerShadow;   // strength of the shadow under the top edge (sunk faces)
};

FaceStyle StyleOf(GuiFace face)
{
    switch (face)
    {
    case GuiFace::Button: // light silver-blue, raised
        return {ColourFromHex(0xD5DDEB),
                ColourFromHex(0x98A8C6),
                ColourFromHex(0x39466A),
                ColourFromHex(0xFFFFFF),
                -1.0f,
                0.22f,
                0.0f};
    case GuiFace::ButtonHover: // warm and lighter, with a gold rim
        return {ColourFromHex(0xFFF9E6),
                ColourFromHex(0xF6D27A),
                ColourFromHex(0x9A6A08),
                ColourFromHex(0xFFFFFF),
                -1.0f,
                0.30f,
                0.0f};
    case GuiFace::ButtonDown: // the hover look pressed in: deeper gold, sunk
        return {ColourFromHex(0xCFA850),
                ColourFromHex(0xF0D287),
                ColourFromHex(0x7A5206),
                ColourFromHex(0xFFF1C8),
                1.0f,
                0.0f,
                0.35f};
    case GuiFace::Edit:
        return {ColourFromHex(0x161D2C),
                ColourFromHex(0x1F293C),
                ColourFromHex(0x5B6E97),
                ColourFromHex(0x3B4A69),
                1.0f,
                0.0f,
                0.7f};
    }
    return {};
}

Colour ShadeFace(const FaceStyle& style, float y, float d)
{
    float v = y / guiHeight;
    Colour c = MixColour(style.top, style.bottom, v);

    // Glassy sheen on the upper half of a raised face: strongest at the
    // top, ending in a soft edge a little above the middle.
    if (style.gloss > 0.0f)
    {
        float sheen = style.gloss * (1.0f - SmoothStep(0.40f, 0.50f, v)) * (1.0f - 0.5f * v / 0.5f);
        c = MixColour(c, {1, 1, 1, 1}, sheen);
    }
    // A sunk face lies in the shadow of its upper edge.
    if (style.innerShadow > 0.0f)
    {
        float shadow = style.innerShadow * (1.0f - SmoothStep(1.0f, 11.0f, y));
        c = ScaleColour(c, 1.0f - shadow);
    }

    float inside = -d; // distance from the outline, inwards
    // Inner light line: one edge of the face catches the light, two texels in.
    float lineBand = (1.0f - SmoothStep(1.0f, 2.0f, std::fabs(inside - 3.0f)));
    float wanted = style.edgeLightSide < 0 ? (1.0f - SmoothStep(4.0f, 14.0f, y))
                                           : SmoothStep(guiHeight - 14.0f, guiHeight - 4.0f, y);
    c = MixColour(c, style.edgeLight, lineBand * wanted * 0.85f);

    // Outline: two texels of rim colour, softened on its inner side.
    float rim = 1.0f - SmoothStep(1.6f, 2.6f, inside);
    c = MixColour(c, style.rim, rim);
    c.a = 1.0f;
    return c;
}

} // namespace

Image PaintGuiFace(GuiFace face)
{
    FaceStyle style = StyleOf(face);
    Image image(guiWidth, guiHeight, {0, 0, 0, 0});
    const float hx = guiWidth * 0.5f - 0.5f, hy = guiHeight * 0.5f - 0.5f;
    Supersample(image, subSamples, 1.0f, [&style, hx, hy](float x, float y, Colour& c) {
        const float d = SdfRoundedBox(x - guiWidth * 0.5f, y - guiHeight * 0.5f, hx, hy, cornerRadius);
        if (d > 0.0f)
            return false;
        c = ShadeFace(style, y, d);
        return true;
    });
    // The GUI blends with a constant alpha, so a texel is either shown whole
    // or thrown away by the alpha test: the outline is cut where the shape
    // covers half the texel.
    for (int ty = 0; ty < guiHeight; ++ty)
        for (int tx = 0; tx < guiWidth; ++tx)
            image.At(tx, ty).a = image.At(tx, ty).a >= 0.5f ? 1.0f : 0.0f;
    image.BleedColour(2);
    return image;
}
