#pragma once
// The application icon, a block tile, in the hicolor theme's usual sizes.
// Each size is painted from the art itself rather than scaled from another,
// so the small ones stay sharp and the large ones smooth.

#include "tools/Image.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

constexpr int iconSizeCount = 6;
extern const int iconSizes[iconSizeCount];

// The icon at `size` x `size` pixels, transparent around the block.
Image PaintIcon(int size);

// Appends "<dir>/<size>x<size>/tumblox.png" with its PNG bytes for every
// size. Returns false, after saying so on standard error, if one cannot be
// compressed; nothing is appended then.
bool AddIconFiles(const std::string& dir, std::vector<std::pair<std::string, std::vector<uint8_t>>>& files);
