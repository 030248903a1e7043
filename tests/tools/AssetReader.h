#pragma once
// Readers for the generated asset files, written from the file formats alone
// (nothing of the tool's code), so that the tests check the bytes the game
// will read rather than the tool's idea of them.

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace AssetReader
{

struct Kyt
{
    bool valid = false;
    std::string problem;
    unsigned format = 0, width = 0, height = 0, depth = 0, levels = 0, componentSize = 0;
    uint32_t noData = 0;
    size_t fileSize = 0, expectedSize = 0;
    std::vector<uint8_t> texels; // level 0, file order: row 0 is t = 0 (drawn at the bottom)

    // RGBA of the texel at column x, row y counted from the TOP of the picture
    // as the 2D drawing shows it.
    const uint8_t* Visible(int x, int y) const
    {
        return &texels[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
    }
};

struct Kyf
{
    bool valid = false;
    std::string problem;
    int32_t lineHeight = 0, width = 0, height = 0;
    uint8_t advance[256] = {};
    float rect[256][4] = {};
    std::vector<uint8_t> atlas; // row 0 is t = 0
    size_t fileSize = 0;

    uint8_t Coverage(int x, int y) const { return atlas[static_cast<size_t>(y) * width + x]; }
};

// An 8-bit RGB or RGBA PNG without interlacing, the kinds the tool writes.
struct Png
{
    std::string problem; // when set, no pixels
    unsigned width = 0, height = 0, channels = 0;
    std::vector<uint8_t> pixels; // rows top first
};

inline unsigned Get16(const uint8_t* p)
{
    return p[0] | (p[1] << 8);
}

inline uint32_t Get32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint32_t GetBigEndian32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

inline std::vector<uint8_t> ReadWholeFile(const std::string& path, bool* ok)
{
    std::vector<uint8_t> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    *ok = file != nullptr;
    if (!file)
        return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);
    return bytes;
}

inline Kyt ReadKyt(const std::string& path)
{
    Kyt kyt;
    bool ok;
    std::vector<uint8_t> bytes = ReadWholeFile(path, &ok);
    kyt.fileSize = bytes.size();
    if (!ok)
    {
        kyt.problem = "cannot open " + path;
        return kyt;
    }
    if (bytes.size() < 28 || std::memcmp(bytes.data(), "KTex", 4) != 0)
    {
        kyt.problem = "no KTex header";
        return kyt;
    }
    const uint8_t* h = bytes.data();
    kyt.format = Get16(h + 4);
    kyt.width = Get16(h + 6);
    kyt.height = Get16(h + 8);
    kyt.depth = Get16(h + 10);
    kyt.noData = Get32(h + 12);
    kyt.levels = Get16(h + 16);
    kyt.componentSize = Get16(h + 18);
    size_t bytesPerTexel = ((kyt.format >> 8) + 1) * (kyt.componentSize + 1);
    size_t expected = 28;
    for (unsigned i = 0; i < kyt.levels; ++i)
    {
        size_t w = std::max(kyt.width >> i, 1u), hh = std::max(kyt.height >> i, 1u), d = std::max(kyt.depth >> i, 1u);
        size_t padding = (4 - (w * bytesPerTexel) % 4) % 4;
        expected += w * hh * d * bytesPerTexel + padding;
    }
    kyt.expectedSize = expected;
    if (bytes.size() != expected)
    {
        kyt.problem = "file size " + std::to_string(bytes.size()) + ", expected " + std::to_string(expected);
        return kyt;
    }
    size_t level0 = static_cast<size_t>(kyt.width) * kyt.height * kyt.depth * bytesPerTexel;
    kyt.texels.assign(bytes.begin() + 28, bytes.begin() + 28 + level0);
    kyt.valid = true;
    return kyt;
}

inline Kyf ReadKyf(const std::string& path)
{
    Kyf kyf;
    bool ok;
    std::vector<uint8_t> bytes = ReadWholeFile(path, &ok);
    kyf.fileSize = bytes.size();
    if (!ok)
    {
        kyf.problem = "cannot open " + path;
        return kyf;
    }
    if (bytes.size() < 4368 || std::memcmp(bytes.data(), "KyFo", 4) != 0)
    {
        kyf.problem = "no KyFo header";
        return kyf;
    }
    kyf.lineHeight = static_cast<int32_t>(Get32(&bytes[4]));
    kyf.width = static_cast<int32_t>(Get32(&bytes[8]));
    kyf.height = static_cast<int32_t>(Get32(&bytes[12]));
    std::memcpy(kyf.advance, &bytes[16], 256);
    for (int c = 0; c < 256; ++c)
        for (int i = 0; i < 4; ++i)
        {
            uint32_t bits = Get32(&bytes[272 + (c * 4 + i) * 4]);
            std::memcpy(&kyf.rect[c][i], &bits, 4);
        }
    if (kyf.width <= 0 || kyf.height <= 0 ||
        bytes.size() != 4368 + static_cast<size_t>(kyf.width) * static_cast<size_t>(kyf.height))
    {
        kyf.problem = "file size " + std::to_string(bytes.size()) + " does not match the atlas size";
        return kyf;
    }
    kyf.atlas.assign(bytes.begin() + 4368, bytes.end());
    kyf.valid = true;
    return kyf;
}

// Decodes by the format's own rules: the chunks, the IDAT data joined and
// inflated, each row's filter undone.
inline Png ReadPng(const std::vector<uint8_t>& bytes)
{
    Png png;
    std::vector<uint8_t> packed;
    const bool signature = bytes.size() > 8 && std::memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8) == 0;
    for (size_t at = 8; signature && at + 12 <= bytes.size(); at += 12 + GetBigEndian32(&bytes[at]))
    {
        const size_t length = GetBigEndian32(&bytes[at]);
        const uint8_t* data = &bytes[at + 8];
        if (at + 12 + length > bytes.size())
            break;
        if (std::memcmp(data - 4, "IHDR", 4) == 0 && length == 13 && data[8] == 8 && (data[9] == 2 || data[9] == 6) &&
            data[12] == 0)
        {
            png.width = GetBigEndian32(data);
            png.height = GetBigEndian32(data + 4);
            png.channels = data[9] == 6 ? 4 : 3;
        }
        else if (std::memcmp(data - 4, "IDAT", 4) == 0)
        {
            packed.insert(packed.end(), data, data + length);
        }
    }
    const size_t rowBytes = size_t(png.width) * png.channels, bpp = png.channels;
    std::vector<uint8_t> filtered((rowBytes + 1) * png.height);
    uLongf size = filtered.size();
    if (bpp == 0 || uncompress(filtered.data(), &size, packed.data(), packed.size()) != Z_OK || size != filtered.size())
    {
        png.problem = "not an 8-bit RGB or RGBA PNG whose data inflates to its rows";
        return png;
    }
    std::vector<uint8_t> out(rowBytes * png.height);
    for (size_t y = 0; y < png.height; ++y)
        for (size_t i = 0; i < rowBytes; ++i)
        {
            const int a = i >= bpp ? out[rowBytes * y + i - bpp] : 0;
            const int b = y > 0 ? out[rowBytes * (y - 1) + i] : 0;
            const int c = y > 0 && i >= bpp ? out[rowBytes * (y - 1) + i - bpp] : 0;
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            const int predictors[5] = {0, a, b, (a + b) / 2, pa <= pb && pa <= pc ? a : (pb <= pc ? b : c)};
            const uint8_t type = filtered[(rowBytes + 1) * y];
            if (type > 4)
            {
                png.problem = "row " + std::to_string(y) + " has filter " + std::to_string(type);
                return png;
            }
            out[rowBytes * y + i] = uint8_t(filtered[(rowBytes + 1) * y + 1 + i] + predictors[type]);
        }
    png.pixels = out;
    return png;
}

} // namespace AssetReader
