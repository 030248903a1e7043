#pragma once
// One picture of every generated asset as the game shows it: the blocks at
// the full-screen and the window size, the GUI faces with their texts, the
// font at the sizes the game uses, and the font's atlas.

#include "tools/Image.h"

#include <vector>

struct BakedFont;

// `blocks` holds the eight tiles, `faces` the button, hover, down and edit
// faces, in that order.
Image PaintContactSheet(const std::vector<Image>& blocks, const std::vector<Image>& faces, const BakedFont& font);
