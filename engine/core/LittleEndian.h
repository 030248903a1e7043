#pragma once
// Little-endian integers in byte buffers, the order of every file the game
// and its tools read and write. The readers take bytes the caller has
// already checked are there.

#include <cstdint>
#include <vector>

inline uint16_t ReadLE16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t ReadLE32(const unsigned char* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline uint64_t ReadLE64(const unsigned char* p)
{
    return uint64_t(ReadLE32(p)) | (uint64_t(ReadLE32(p + 4)) << 32);
}

inline void WriteLE32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

inline void WriteLE64(unsigned char* p, uint64_t v)
{
    WriteLE32(p, static_cast<uint32_t>(v));
    WriteLE32(p + 4, static_cast<uint32_t>(v >> 32));
}

inline void AppendLE16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void AppendLE32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
