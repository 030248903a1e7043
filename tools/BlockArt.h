#pragma once
// The eight block tiles: rounded, lit from the upper left, each with its own
// hue and emblem so that the game can be played without telling colours
// apart. Hues follow a palette chosen to stay distinct under the common
// colour-vision deficiencies; the first five (the ones the five-colour modes
// use) are the most distinct of the eight.

#include "tools/Image.h"

#include <cstdint>

constexpr int blockCount = 8;
constexpr int blockSize = 64;

enum class Emblem
{
    Heart,
    Dot,
    Star,
    Triangle,
    Diamond,
    Cross,
    Square,
    Ring
};

struct BlockStyle
{
    uint32_t colour; // 0xRRGGBB of the face
    Emblem emblem;
    const char* name;
};

const BlockStyle& GetBlockStyle(int index);

// Signed distance to an emblem centred at the origin, in texels of a tile.
float EmblemDistance(Emblem emblem, float x, float y);

// The tile of block colour `index` (0 to 7), rows top first.
Image PaintBlock(int index);
// The same tile painted at `size` x `size` pixels (for the icons).
Image PaintBlock(int index, int size);
