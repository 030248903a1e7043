#pragma once
#include <cstdint>

// The in-memory description of an image, filled by the texture decoders and
// by the font loader and handed to Texture::Load(rawTexture, name). It knows
// nothing of OpenGL, so the decoders build and run without a context.

namespace KyE
{
namespace Graphic
{
namespace Material
{
constexpr int RAW_TEXTURE_MAX_LEVELS = 14;

// Texture kinds.
enum : int
{
    TEXTURE_KIND_CUBE_MAP = 0,
    TEXTURE_KIND_1D = 1,
    TEXTURE_KIND_2D = 2,
    TEXTURE_KIND_3D = 3,
    TEXTURE_KIND_COUNT = 4
};

// Channel layouts, the high byte of a format code.
enum : int
{
    LAYOUT_R = 0,
    LAYOUT_RG = 1,
    LAYOUT_RGB = 2,
    LAYOUT_RGBA = 3,
    LAYOUT_DEPTH = 4,
    LAYOUT_DEPTH_STENCIL = 5,
    LAYOUT_COUNT = 6
};

// Component kinds, the low byte of a format code.
enum : int
{
    COMPONENT_SIGNED_INTEGER = 0,
    COMPONENT_SIGNED_NORMALISED = 1,
    COMPONENT_UNSIGNED_INTEGER = 2,
    COMPONENT_UNSIGNED_NORMALISED = 3,
    COMPONENT_FLOAT = 4,
    COMPONENT_KIND_COUNT = 5
};

// Component size codes: 8, 16, 24 and 32 bits.
enum : int
{
    COMPONENT_SIZE_8 = 0,
    COMPONENT_SIZE_16 = 1,
    COMPONENT_SIZE_24 = 2,
    COMPONENT_SIZE_32 = 3,
    COMPONENT_SIZE_COUNT = 4
};

constexpr int MakeFormat(int layout, int kind)
{
    return layout * 256 + kind;
}
constexpr int FORMAT_R8 = MakeFormat(LAYOUT_R, COMPONENT_UNSIGNED_NORMALISED);
constexpr int FORMAT_RG8 = MakeFormat(LAYOUT_RG, COMPONENT_UNSIGNED_NORMALISED);
constexpr int FORMAT_RGB8 = MakeFormat(LAYOUT_RGB, COMPONENT_UNSIGNED_NORMALISED);
constexpr int FORMAT_RGBA8 = MakeFormat(LAYOUT_RGBA, COMPONENT_UNSIGNED_NORMALISED);

// The most pixel memory one image may claim. A header is only a promise:
// files that carry their pixels are bounded by their own length, but a
// ".kyt" without pixel data or a run-length TGA can ask for far more than
// they hold, and no texture of this engine comes near this.
// The fuzzers build with a smaller budget (the checks are the same), so that
// a run spends its time on the readers rather than on huge allocations.
#ifndef KYE_RAW_TEXTURE_MAX_BYTES
#define KYE_RAW_TEXTURE_MAX_BYTES (uint64_t(1) << 28)
#endif
constexpr uint64_t RAW_TEXTURE_MAX_BYTES = KYE_RAW_TEXTURE_MAX_BYTES;

struct RawTexture
{
    // The defaults every loader starts from: one level, none allocated,
    // mipmaps generated, 8-bit unsigned normalised RGBA, 2D, depth 1.
    RawTexture();
    // The same defaults again; the level slots are left alone, since their
    // blocks belong to whoever filled them.
    void SetDefaults();
    // Frees every level block and empties its slot; the owner calls it.
    void FreeLevels();

    int levelCount;
    unsigned char* levels[RAW_TEXTURE_MAX_LEVELS];
    bool generateMipmaps;
    int componentSize;
    int format;
    int kind;
    int width;
    int height;
    int depth;
};

// (layout + 1) x (component size code + 1): a depth layout counts five
// components by this rule, depth-stencil six. 0 for codes outside the tables.
int BytesPerTexel(int format, int componentSize);
// True when the three codes name a row and column of the format tables.
bool IsKnownFormat(int format, int componentSize);
} // namespace Material
} // namespace Graphic
} // namespace KyE
