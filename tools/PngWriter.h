#pragma once
// Encodes 8-bit RGB or RGBA pictures as PNG bytes (zlib-compressed, with
// per-row filters), for the contact sheet.

#include <cstdint>
#include <vector>

// `channels` is 3 or 4; `pixels` holds width * height * channels bytes, rows
// top first. Returns an empty vector if compression fails.
std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& pixels, int width, int height, int channels);
