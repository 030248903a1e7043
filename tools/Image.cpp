#include "tools/Image.h"

#include <cmath>

float Clamp01(float v)
{
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

float SmoothStep(float edge0, float edge1, float v)
{
    float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

Colour MixColour(const Colour& from, const Colour& to, float amount)
{
    return {from.r + (to.r - from.r) * amount, from.g + (to.g - from.g) * amount, from.b + (to.b - from.b) * amount,
            from.a + (to.a - from.a) * amount};
}

Colour ScaleColour(const Colour& c, float factor)
{
    return {c.r * factor, c.g * factor, c.b * factor, c.a};
}

Colour ColourFromHex(uint32_t rgb)
{
    return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, 1.0f};
}

uint8_t ToByte(float v)
{
    // Round half up on the clamped value: the same bytes on every run.
    return static_cast<uint8_t>(std::floor(Clamp01(v) * 255.0f + 0.5f));
}

Image::Image(int width, int height, Colour fill)
    : width(width), height(height), pixels(static_cast<size_t>(width) * height, fill)
{
}

void Image::Blend(int x, int y, const Colour& c)
{
    if (x < 0 || y < 0 || x >= width || y >= height || c.a <= 0.0f)
        return;
    Colour& d = At(x, y);
    float a = Clamp01(c.a);
    float outA = a + d.a * (1.0f - a);
    if (outA <= 0.0f)
    {
        d = {0, 0, 0, 0};
        return;
    }
    float keep = d.a * (1.0f - a);
    d.r = (c.r * a + d.r * keep) / outA;
    d.g = (c.g * a + d.g * keep) / outA;
    d.b = (c.b * a + d.b * keep) / outA;
    d.a = outA;
}

void Image::Paste(const Image& other, int x, int y)
{
    for (int j = 0; j < other.height; ++j)
        for (int i = 0; i < other.width; ++i)
            Blend(x + i, y + j, other.At(i, j));
}

std::vector<uint8_t> Image::ToRGBA8() const
{
    std::vector<uint8_t> out;
    out.reserve(pixels.size() * 4);
    for (const Colour& c : pixels)
    {
        out.push_back(ToByte(c.r));
        out.push_back(ToByte(c.g));
        out.push_back(ToByte(c.b));
        out.push_back(ToByte(c.a));
    }
    return out;
}

void Image::BleedColour(int rings)
{
    // Linear filtering mixes a transparent texel's colour into the visible
    // edge; giving the empty ring around a shape the edge's own colour keeps
    // magnified edges from growing a dark fringe.
    for (int ring = 0; ring < rings; ++ring)
    {
        std::vector<Colour> next = pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                if (At(x, y).a > 0.0f)
                    continue;
                float r = 0, g = 0, b = 0, weight = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                    {
                        int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= width || ny >= height)
                            continue;
                        const Colour& n = At(nx, ny);
                        float w = n.a > 0.0f ? 1.0f : (n.r + n.g + n.b > 0.0f ? 0.5f : 0.0f);
                        r += n.r * w;
                        g += n.g * w;
                        b += n.b * w;
                        weight += w;
                    }
                if (weight > 0.0f)
                    next[static_cast<size_t>(y) * width + x] = {r / weight, g / weight, b / weight, 0.0f};
            }
        pixels.swap(next);
    }
}

std::vector<uint8_t> Image::ToRGB8() const
{
    std::vector<uint8_t> out;
    out.reserve(pixels.size() * 3);
    for (const Colour& c : pixels)
    {
        out.push_back(ToByte(c.r * c.a));
        out.push_back(ToByte(c.g * c.a));
        out.push_back(ToByte(c.b * c.a));
    }
    return out;
}
