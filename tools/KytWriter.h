#pragma once
// Serialises an RGBA picture as the engine's raw texture file (".kyt"): a
// 28-byte little-endian header, then one level of 8-bit RGBA texels. The
// file's first row is texture row t = 0, which the 2D drawing puts at the
// BOTTOM of a rectangle, so the picture (top row first) is stored flipped.

#include "tools/Image.h"

#include <cstdint>
#include <vector>

constexpr int kytHeaderSize = 28;

std::vector<uint8_t> EncodeKyt(const Image& image);
