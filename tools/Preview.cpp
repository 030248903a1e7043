#include "tools/Preview.h"

#include "tools/FontBaker.h"

#include <algorithm>
#include <cmath>

Colour SampleNearest(const Image& texture, float s, float t)
{
    int x = std::clamp(static_cast<int>(std::floor(s * texture.Width())), 0, texture.Width() - 1);
    int y = std::clamp(static_cast<int>(std::floor(t * texture.Height())), 0, texture.Height() - 1);
    return texture.At(x, y);
}

Colour SampleLinear(const Image& texture, float s, float t)
{
    float fx = s * texture.Width() - 0.5f, fy = t * texture.Height() - 0.5f;
    int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    float ax = fx - x0, ay = fy - y0;
    auto texel = [&](int x, int y) {
        return texture.At(std::clamp(x, 0, texture.Width() - 1), std::clamp(y, 0, texture.Height() - 1));
    };
    Colour top = MixColour(texel(x0, y0), texel(x0 + 1, y0), ax);
    Colour bottom = MixColour(texel(x0, y0 + 1), texel(x0 + 1, y0 + 1), ax);
    return MixColour(top, bottom, ay);
}

void DrawPreview(Image& target, const Image& texture, float x, float y, float width, float height, PreviewBlend blend)
{
    // The larger of the two texel-per-pixel ratios decides, as OpenGL's
    // choice between the minifying and the magnifying filter does.
    float ratio = std::max(texture.Width() / width, texture.Height() / height);
    bool shrink = ratio > 1.0f;
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    int x1 = static_cast<int>(std::ceil(x + width)), y1 = static_cast<int>(std::ceil(y + height));
    for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px)
        {
            float s = (px + 0.5f - x) / width, t = (py + 0.5f - y) / height;
            if (s < 0 || t < 0 || s >= 1 || t >= 1)
                continue;
            Colour c = shrink ? SampleNearest(texture, s, t) : SampleLinear(texture, s, t);
            if (c.a < 0.2f)
                continue;
            if (blend == PreviewBlend::Opaque)
                c.a = 1.0f;
            target.Blend(px, py, c);
        }
}

Image AtlasImage(const BakedFont& font)
{
    Image image(font.atlasWidth, font.atlasHeight, {0, 0, 0, 0});
    for (int y = 0; y < font.atlasHeight; ++y)
        for (int x = 0; x < font.atlasWidth; ++x)
        {
            float v = font.atlas[static_cast<size_t>(y) * font.atlasWidth + x] / 255.0f;
            image.At(x, y) = {v, v, v, v};
        }
    return image;
}

int PreviewTextWidth(const BakedFont& font, const char* text)
{
    int widest = 0, width = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    {
        if (*p == '\n')
        {
            widest = std::max(widest, width);
            width = 0;
            continue;
        }
        width += font.advance[*p];
    }
    return std::max(widest, width);
}

void DrawPreviewText(Image& target, const BakedFont& font, const Image& atlas, const char* text, float x, float y,
                     float scaleX, float scaleY, Colour colour)
{
    bool shrink = std::max(1.0f / scaleX, 1.0f / scaleY) > 1.0f;
    float penX = x, penY = y;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    {
        unsigned c = *p;
        if (c == '\n')
        {
            penX = x;
            penY += font.lineHeight * scaleY;
            continue;
        }
        float w = font.advance[c] * scaleX, h = font.lineHeight * scaleY;
        const float* rect = font.texCoords[c];
        if (c >= 32 && w > 0)
        {
            int x0 = static_cast<int>(std::floor(penX)), x1 = static_cast<int>(std::ceil(penX + w));
            int y0 = static_cast<int>(std::floor(penY)), y1 = static_cast<int>(std::ceil(penY + h));
            for (int py = y0; py < y1; ++py)
                for (int px = x0; px < x1; ++px)
                {
                    float u = (px + 0.5f - penX) / w, v = (py + 0.5f - penY) / h;
                    if (u < 0 || v < 0 || u >= 1 || v >= 1)
                        continue;
                    float s = rect[0] + (rect[2] - rect[0]) * u, t = rect[1] + (rect[3] - rect[1]) * v;
                    float coverage = (shrink ? SampleNearest(atlas, s, t) : SampleLinear(atlas, s, t)).r;
                    if (coverage < 0.2f)
                        continue;
                    target.Blend(px, py, {colour.r, colour.g, colour.b, coverage});
                }
        }
        penX += w;
    }
}
