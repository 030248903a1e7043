#include "engine/resources/TextureDecoders.h"

#include "engine/core/LittleEndian.h"
#include "engine/core/Log.h"
#include "engine/resources/Texture.h"
#include "platform/KyFile.h"

#include <cstdlib>
#include <cstring>

namespace KyE
{
namespace Graphic
{
namespace Material
{
namespace
{
int ReadS16(const unsigned char* bytes)
{
    return int(int16_t(ReadLE16(bytes)));
}

int ReadS32(const unsigned char* bytes)
{
    return int(int32_t(ReadLE32(bytes)));
}

// What the file still holds from its current position; a file layer that
// cannot tell counts as empty, so nothing is trusted on its word.
uint64_t RemainingBytes(const KyFile& file)
{
    long remaining = file.Remaining();
    return remaining > 0 ? uint64_t(remaining) : 0;
}

// Zeroed, so that pixels a file does not define (no-data ".kyt", a TGA type
// without pixels, a truncated run-length TGA) are black, not old heap data.
unsigned char* AllocatePixels(uint64_t bytes)
{
    void* block = std::calloc(size_t(bytes > 0 ? bytes : 1), 1);
    if (block == nullptr)
        LogOutOfMemory(bytes);
    return static_cast<unsigned char*>(block);
}

// Blue-green-red(-alpha) as the files store it becomes red-green-blue(-alpha).
// One- and two-byte pixels have no blue to exchange and stay as they are.
void SwapRedBlue(unsigned char* pixels, uint64_t pixelCount, int bytesPerPixel)
{
    if (bytesPerPixel < 3)
        return;
    for (uint64_t i = 0; i < pixelCount; ++i, pixels += bytesPerPixel)
    {
        unsigned char first = pixels[0];
        pixels[0] = pixels[2];
        pixels[2] = first;
    }
}

int TgaFormatOfDepth(int pixelDepth)
{
    switch (pixelDepth)
    {
    case 8:
        return FORMAT_R8;
    case 16:
        return FORMAT_RG8;
    case 24:
        return FORMAT_RGB8;
    case 32:
        return FORMAT_RGBA8;
    default:
        return -1;
    }
}

// max(size >> level, 1): a level is never thinner than one texel.
uint64_t LevelExtent(int size, int level)
{
    int extent = size >> level;
    return uint64_t(extent > 1 ? extent : 1);
}

const char* NameOrEmpty(const char* fileName)
{
    return fileName != nullptr ? fileName : "";
}
} // namespace

bool LoadRawTexture(KyFile& file, RawTexture& rawTexture, const char* fileName)
{
    fileName = NameOrEmpty(fileName);
    unsigned char header[KYT_HEADER_SIZE] = {};
    if (file.Read(header, KYT_HEADER_SIZE) != KY_OK)
    {
        LogError("[LoadRawTexture] '%s' is shorter than the %d-byte header.", fileName, KYT_HEADER_SIZE);
        return false;
    }
    if (std::memcmp(header, "KTex", 4) != 0)
        return false;

    int format = int(ReadLE16(header + 4));
    int width = int(ReadLE16(header + 6));
    int height = int(ReadLE16(header + 8));
    int depth = int(ReadLE16(header + 10));
    uint32_t noData = ReadLE32(header + 12);
    int levelCount = int(ReadLE16(header + 16));
    int componentSize = int(ReadLE16(header + 18));

    if (!IsKnownFormat(format, componentSize))
    {
        LogError("[LoadRawTexture] '%s' has the unknown format code 0x%04X with component size code %d.", fileName,
                 unsigned(format), componentSize);
        return false;
    }
    if (levelCount < 1 || levelCount > RAW_TEXTURE_MAX_LEVELS)
    {
        LogError("[LoadRawTexture] '%s' declares %d mipmap levels; 1 to %d are supported.", fileName, levelCount,
                 RAW_TEXTURE_MAX_LEVELS);
        return false;
    }
    if (width == 0 || height == 0)
    {
        LogError("[LoadRawTexture] '%s' has an empty image of %d x %d texels.", fileName, width, height);
        return false;
    }

    // Each level's texels, then the padding that would bring one of its rows
    // to a multiple of 4 bytes, once per level. Widths are 16-bit, so these
    // products stay far inside 64 bits.
    const uint64_t bytesPerTexel = uint64_t(BytesPerTexel(format, componentSize));
    uint64_t levelBytes[RAW_TEXTURE_MAX_LEVELS];
    uint64_t totalBytes = 0;
    for (int i = 0; i < levelCount; ++i)
    {
        uint64_t w = LevelExtent(width, i);
        uint64_t h = LevelExtent(height, i);
        uint64_t d = LevelExtent(depth, i);
        uint64_t rowBytes = w * bytesPerTexel;
        levelBytes[i] = rowBytes * h * d + (4 - rowBytes % 4) % 4;
        totalBytes += levelBytes[i];
    }
    if (totalBytes > RAW_TEXTURE_MAX_BYTES)
    {
        LogError("[LoadRawTexture] '%s' asks for %llu bytes of pixels, more than the %llu a texture may have.",
                 fileName, static_cast<unsigned long long>(totalBytes),
                 static_cast<unsigned long long>(RAW_TEXTURE_MAX_BYTES));
        return false;
    }
    const uint64_t remaining = RemainingBytes(file);
    if (noData == 0 && totalBytes > remaining)
    {
        LogError("[LoadRawTexture] '%s' holds %llu bytes of pixel data where its header asks for %llu.", fileName,
                 static_cast<unsigned long long>(remaining), static_cast<unsigned long long>(totalBytes));
        return false;
    }

    rawTexture.levelCount = levelCount;
    for (int i = 0; i < levelCount; ++i)
    {
        rawTexture.levels[i] = AllocatePixels(levelBytes[i]);
        if (rawTexture.levels[i] == nullptr)
            return false;
    }
    rawTexture.format = format;
    rawTexture.componentSize = componentSize;
    rawTexture.width = width;
    rawTexture.height = height;
    rawTexture.depth = depth;
    // Always 2D, whatever the depth says.
    rawTexture.kind = TEXTURE_KIND_2D;

    if (noData != 0)
        return true;
    for (int i = 0; i < levelCount; ++i)
    {
        if (file.Read(rawTexture.levels[i], int(levelBytes[i])) != KY_OK)
        {
            LogError("[LoadRawTexture] '%s' ends inside mipmap level %d.", fileName, i);
            return false;
        }
    }
    return true;
}

bool Texture::LoadTGA(KyFile& file, RawTexture& rawTexture, const char* fileName)
{
    fileName = NameOrEmpty(fileName);
    unsigned char header[TGA_HEADER_SIZE] = {};
    if (file.Read(header, TGA_HEADER_SIZE) != KY_OK)
    {
        LogError("[Texture::LoadTGA] Cannot read file header.");
        return false;
    }
    const int imageType = header[2];
    const int width = ReadS16(header + 12);
    const int height = ReadS16(header + 14);
    const int pixelDepth = header[16];

    // Other depths would leave the block smaller than the upload reads.
    const int format = TgaFormatOfDepth(pixelDepth);
    if (format < 0)
    {
        LogError("[Texture::LoadTGA] '%s' has %d bits per pixel; 8, 16, 24 and 32 are read.", fileName, pixelDepth);
        return false;
    }
    if (width <= 0 || height <= 0)
    {
        LogError("[Texture::LoadTGA] '%s' has an invalid size of %d x %d pixels.", fileName, width, height);
        return false;
    }
    const int bytesPerPixel = pixelDepth / 8;
    const uint64_t pixelCount = uint64_t(width) * uint64_t(height);
    const uint64_t bytes = pixelCount * uint64_t(bytesPerPixel);
    if (bytes > RAW_TEXTURE_MAX_BYTES)
    {
        LogError("[Texture::LoadTGA] '%s' asks for %llu bytes of pixels, more than the %llu a texture may have.",
                 fileName, static_cast<unsigned long long>(bytes),
                 static_cast<unsigned long long>(RAW_TEXTURE_MAX_BYTES));
        return false;
    }
    // An uncompressed image shorter than its header says is a short read;
    // found before the block is allocated, so a lying header costs nothing.
    if (imageType == 2 && bytes > RemainingBytes(file))
    {
        LogError("[Texture::LoadTGA] Cannot read file data.");
        return false;
    }

    rawTexture.format = format;
    rawTexture.width = width;
    rawTexture.height = height;
    unsigned char* pixels = AllocatePixels(bytes);
    if (pixels == nullptr)
        return false;
    rawTexture.levelCount = 1;
    rawTexture.levels[0] = pixels;

    switch (imageType)
    {
    case 2:
        if (file.Read(pixels, int(bytes)) != KY_OK)
        {
            LogError("[Texture::LoadTGA] Cannot read file data.");
            return false;
        }
        SwapRedBlue(pixels, pixelCount, bytesPerPixel);
        return true;
    case 10:
        return LoadRleTga(pixels, header, file, fileName);
    default:
        // A type this reader does not decode: the image stays black.
        return true;
    }
}

bool LoadRleTga(unsigned char* buffer, const unsigned char* header, KyFile& file, const char* fileName)
{
    fileName = NameOrEmpty(fileName);
    const int width = ReadS16(header + 12);
    const int height = ReadS16(header + 14);
    const int bytesPerPixel = header[16] / 8;
    if (width <= 0 || height <= 0 || bytesPerPixel < 1 || bytesPerPixel > 4)
    {
        LogError("[LoadRleTga] '%s' has a header this reader cannot decode.", fileName);
        return false;
    }
    const uint64_t pixelCount = uint64_t(width) * uint64_t(height);
    const size_t pixelBytes = size_t(bytesPerPixel);
    uint64_t done = 0;
    while (done < pixelCount)
    {
        unsigned char packet = 0;
        // Once the file is exhausted, every further packet header would fail
        // the same way: say it once and keep what was decoded. The rest of
        // the image stays as the caller left it (black).
        if (file.Read(&packet, 1) != KY_OK)
        {
            LogError("[LoadRleTga] Unexpected end of file.");
            return true;
        }
        uint64_t count = uint64_t(packet & 0x7F) + 1;
        if (count > pixelCount - done)
        {
            LogError("[LoadRleTga] '%s': a packet of %llu pixels runs past the end of the image; the last %llu are "
                     "dropped.",
                     fileName, static_cast<unsigned long long>(count),
                     static_cast<unsigned long long>(count - (pixelCount - done)));
            count = pixelCount - done;
        }
        unsigned char* at = buffer + done * pixelBytes;
        if (packet < 128)
        {
            for (uint64_t i = 0; i < count; ++i, at += pixelBytes)
            {
                if (file.Read(at, bytesPerPixel) != KY_OK)
                {
                    LogError("[LoadRleTga] Unexpected end of file.");
                    return true;
                }
                SwapRedBlue(at, 1, bytesPerPixel);
            }
        }
        else
        {
            if (file.Read(at, bytesPerPixel) != KY_OK)
            {
                LogError("[LoadRleTga] Unexpected end of file.");
                return true;
            }
            SwapRedBlue(at, 1, bytesPerPixel);
            for (uint64_t i = 1; i < count; ++i)
                std::memcpy(at + i * pixelBytes, at, pixelBytes);
        }
        done += count;
    }
    return true;
}

bool LoadBMP(KyFile& file, RawTexture& rawTexture, const char* fileName)
{
    fileName = NameOrEmpty(fileName);
    unsigned char info[BMP_INFO_HEADER_SIZE] = {};
    if (file.Read(info, BMP_INFO_HEADER_SIZE) != KY_OK)
    {
        LogError("[LoadBMP] '%s' ends inside its %d-byte information header.", fileName, BMP_INFO_HEADER_SIZE);
        return false;
    }
    const int width = ReadS32(info + 4);
    const int height = ReadS32(info + 8);
    const unsigned bitCount = ReadLE16(info + 14);

    if (bitCount < 24)
        return false;
    // Anything else above 24 bits would leave the block smaller than the
    // upload reads (25 to 31) or the pixels misread (above 32).
    if (bitCount != 24 && bitCount != 32)
    {
        LogError("[LoadBMP] '%s' has %u bits per pixel; 24 and 32 are read.", fileName, bitCount);
        return false;
    }
    if (height < 0)
    {
        LogError("[LoadBMP] '%s' stores its rows top-down (negative height); only bottom-up files are read.", fileName);
        return false;
    }
    if (width <= 0 || height == 0)
    {
        LogError("[LoadBMP] '%s' has an invalid size of %d x %d pixels.", fileName, width, height);
        return false;
    }
    const int bytesPerPixel = int(bitCount / 8);
    const uint64_t rowBytes = uint64_t(width) * uint64_t(bytesPerPixel);
    const uint64_t padding = (4 - rowBytes % 4) % 4;
    const uint64_t bytes = rowBytes * uint64_t(height);
    if (bytes > RAW_TEXTURE_MAX_BYTES)
    {
        LogError("[LoadBMP] '%s' asks for %llu bytes of pixels, more than the %llu a texture may have.", fileName,
                 static_cast<unsigned long long>(bytes), static_cast<unsigned long long>(RAW_TEXTURE_MAX_BYTES));
        return false;
    }
    // The last row's padding may be missing; nothing is read from it.
    const uint64_t needed = bytes + padding * uint64_t(height - 1);
    const uint64_t remaining = RemainingBytes(file);
    if (needed > remaining)
    {
        LogError("[LoadBMP] '%s' holds %llu bytes of pixel data where its header asks for %llu.", fileName,
                 static_cast<unsigned long long>(remaining), static_cast<unsigned long long>(needed));
        return false;
    }

    rawTexture.format = bitCount == 24 ? FORMAT_RGB8 : FORMAT_RGBA8;
    rawTexture.width = width;
    rawTexture.height = height;
    unsigned char* pixels = AllocatePixels(bytes);
    if (pixels == nullptr)
        return false;
    rawTexture.levelCount = 1;
    rawTexture.levels[0] = pixels;

    for (int y = 0; y < height; ++y)
    {
        unsigned char* row = pixels + uint64_t(y) * rowBytes;
        if (file.Read(row, int(rowBytes)) != KY_OK)
        {
            LogError("[LoadBMP] '%s' ends inside pixel row %d.", fileName, y);
            return false;
        }
        SwapRedBlue(row, uint64_t(width), bytesPerPixel);
        file.Seek(int(padding), KY_SEEK_CURRENT);
    }
    return true;
}

bool DecodeTextureFile(KyFile& file, const char* fileName, RawTexture& rawTexture)
{
    const char* extension = KyFE_GetFileNameExtension(fileName);
    if (std::strcmp(extension, "bmp") == 0)
    {
        unsigned char fileHeader[BMP_FILE_HEADER_SIZE] = {};
        if (file.Read(fileHeader, BMP_FILE_HEADER_SIZE) != KY_OK)
        {
            LogError("[LoadBMP] '%s' ends inside its %d-byte file header.", NameOrEmpty(fileName),
                     BMP_FILE_HEADER_SIZE);
            return false;
        }
        if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
            return false;
        return LoadBMP(file, rawTexture, fileName);
    }
    if (std::strcmp(extension, "kyt") == 0)
        return LoadRawTexture(file, rawTexture, fileName);
    if (std::strcmp(extension, "tga") == 0)
        return Texture::LoadTGA(file, rawTexture, fileName);
    return false;
}
} // namespace Material
} // namespace Graphic
} // namespace KyE
