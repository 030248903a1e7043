#include "tools/PngWriter.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace
{

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data)
{
    PutBigEndian32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + start, static_cast<uInt>(out.size() - start));
    PutBigEndian32(out, static_cast<uint32_t>(crc));
}

int Paeth(int a, int b, int c)
{
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Filters one row with each of the five PNG filters and keeps the one with
// the smallest sum of absolute (signed) bytes, the usual heuristic.
void FilterRow(const uint8_t* row, const uint8_t* above, size_t length, int bpp, std::vector<uint8_t>& out)
{
    std::vector<uint8_t> best, trial(length);
    long bestScore = -1;
    int bestType = 0;
    for (int type = 0; type < 5; ++type)
    {
        long score = 0;
        for (size_t i = 0; i < length; ++i)
        {
            int a = i >= static_cast<size_t>(bpp) ? row[i - bpp] : 0;
            int b = above ? above[i] : 0;
            int c = (above && i >= static_cast<size_t>(bpp)) ? above[i - bpp] : 0;
            int predictor = 0;
            switch (type)
            {
            case 1:
                predictor = a;
                break;
            case 2:
                predictor = b;
                break;
            case 3:
                predictor = (a + b) / 2;
                break;
            case 4:
                predictor = Paeth(a, b, c);
                break;
            default:
                break;
            }
            uint8_t v = static_cast<uint8_t>(row[i] - predictor);
            trial[i] = v;
            score += v < 128 ? v : 256 - v;
        }
        if (bestScore < 0 || score < bestScore)
        {
            bestScore = score;
            bestType = type;
            best = trial;
        }
    }
    out.push_back(static_cast<uint8_t>(bestType));
    out.insert(out.end(), best.begin(), best.end());
}

} // namespace

std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& pixels, int width, int height, int channels)
{
    size_t rowBytes = static_cast<size_t>(width) * channels;
    std::vector<uint8_t> filtered;
    filtered.reserve((rowBytes + 1) * height);
    for (int y = 0; y < height; ++y)
        FilterRow(&pixels[rowBytes * y], y > 0 ? &pixels[rowBytes * (y - 1)] : nullptr, rowBytes, channels, filtered);

    uLongf packedSize = compressBound(static_cast<uLong>(filtered.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, filtered.data(), static_cast<uLong>(filtered.size()), 9) != Z_OK)
        return {};
    packed.resize(packedSize);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian32(header, static_cast<uint32_t>(width));
    PutBigEndian32(header, static_cast<uint32_t>(height));
    header.push_back(8);                     // bits per channel
    header.push_back(channels == 4 ? 6 : 2); // colour type: RGBA or RGB
    header.insert(header.end(), {0, 0, 0});  // deflate, adaptive filters, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    return png;
}
