#pragma once
// Builders of small ".kyt", TGA and BMP files for the texture tests, and a
// temporary file to hold them.
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <unistd.h>

namespace TextureTestFiles
{
inline void PutU16(std::string& out, unsigned value)
{
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

inline void PutU32(std::string& out, uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

struct KytHeader
{
    unsigned format = 0x303;
    unsigned width = 1;
    unsigned height = 1;
    unsigned depth = 1;
    uint32_t noData = 0;
    unsigned levelCount = 1;
    unsigned componentSize = 0;
};

inline std::string Kyt(const KytHeader& header, const std::string& levels)
{
    std::string out = "KTex";
    PutU16(out, header.format);
    PutU16(out, header.width);
    PutU16(out, header.height);
    PutU16(out, header.depth);
    PutU32(out, header.noData);
    PutU16(out, header.levelCount);
    PutU16(out, header.componentSize);
    out.append(8, '\0');
    return out + levels;
}

inline std::string Tga(int imageType, int width, int height, int pixelDepth, const std::string& data)
{
    std::string out(18, '\0');
    out[2] = char(imageType);
    out[12] = char(width & 0xFF);
    out[13] = char((width >> 8) & 0xFF);
    out[14] = char(height & 0xFF);
    out[15] = char((height >> 8) & 0xFF);
    out[16] = char(pixelDepth);
    return out + data;
}

inline std::string Bmp(int32_t width, int32_t height, unsigned bitCount, const std::string& data)
{
    std::string out = "BM";
    PutU32(out, uint32_t(54 + data.size()));
    PutU32(out, 0);
    PutU32(out, 54);
    PutU32(out, 40);
    PutU32(out, uint32_t(width));
    PutU32(out, uint32_t(height));
    PutU16(out, 1);
    PutU16(out, bitCount);
    PutU32(out, 0);
    PutU32(out, uint32_t(data.size()));
    out.append(16, '\0');
    return out + data;
}

inline std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int value : values)
        out += char(value);
    return out;
}

// A file in /tmp with the given extension, removed again at scope end.
class TempFile
{
public:
    TempFile(const std::string& content, const std::string& extension)
    {
        std::string pattern = "/tmp/texture-test-XXXXXX." + extension;
        path.assign(pattern.begin(), pattern.end());
        path.push_back('\0');
        int fd = mkstemps(&path[0], int(extension.size() + 1));
        path.pop_back();
        if (fd < 0)
        {
            path.clear();
            return;
        }
        const char* at = content.data();
        size_t left = content.size();
        while (left > 0)
        {
            ssize_t written = write(fd, at, left);
            if (written <= 0)
                break;
            at += written;
            left -= size_t(written);
        }
        close(fd);
    }
    ~TempFile()
    {
        if (!path.empty())
            unlink(path.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const char* Path() const { return path.c_str(); }

private:
    std::string path;
};
} // namespace TextureTestFiles
