#pragma once
// A floating-point RGBA picture that the asset painters draw into, with the
// conversions to the bytes the game's files hold. Row 0 is the TOP row of the
// picture as a person sees it; the writers flip where a file wants otherwise.

#include <cstddef>
#include <cstdint>
#include <vector>

struct Colour
{
    float r, g, b, a;
};

Colour MixColour(const Colour& from, const Colour& to, float amount);
Colour ScaleColour(const Colour& c, float factor); // rgb only, alpha kept
Colour ColourFromHex(uint32_t rgb);                // 0xRRGGBB, alpha 1
float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float v);

class Image
{
public:
    Image() = default;
    Image(int width, int height, Colour fill);

    int Width() const { return width; }
    int Height() const { return height; }
    Colour& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const Colour& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    // Straight-alpha "over" compositing of one colour onto one pixel.
    void Blend(int x, int y, const Colour& c);
    // Copies another picture in at (x, y) with "over" compositing; clipped.
    void Paste(const Image& other, int x, int y);

    // Gives fully transparent pixels next to a shape the colour of its edge,
    // ring by ring, so that filtering never blends in an unrelated colour.
    void BleedColour(int rings);

    // 8-bit RGBA, straight alpha, rows top first.
    std::vector<uint8_t> ToRGBA8() const;
    // 8-bit RGB over an opaque background, rows top first.
    std::vector<uint8_t> ToRGB8() const;

private:
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;
};

uint8_t ToByte(float v);
