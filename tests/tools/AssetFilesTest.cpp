// The generated textures and font as the game will read them from build/.
#include "tests/tools/AssetReader.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace AssetReader;

namespace
{

const std::string buildDir = TUMBLOX_BINARY_DIR;

std::string BlockPath(int i)
{
    char name[64];
    std::snprintf(name, sizeof name, "/textures/block%02d.kyt", i + 1);
    return buildDir + name;
}

const char* const guiNames[] = {"KyMinGUI_Button", "KyMinGUI_Button_H", "KyMinGUI_Button_D", "KyMinGUI_Edit"};

std::string GuiPath(int i)
{
    return buildDir + "/textures/" + guiNames[i] + ".kyt";
}

float Linear(float c)
{
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

float Luma(const uint8_t* t)
{
    return (0.2126f * t[0] + 0.7152f * t[1] + 0.0722f * t[2]) / 255.0f;
}

using Vec3 = std::array<float, 3>;

// Dichromat simulations in linear RGB (protanopia, deuteranopia after Vienot
// et al. 1999; tritanopia as a single-plane approximation).
const float simulations[4][9] = {
    {1, 0, 0, 0, 1, 0, 0, 0, 1},
    {0.11238f, 0.88762f, 0, 0.11238f, 0.88762f, 0, 0.00401f, -0.00401f, 1},
    {0.29275f, 0.70725f, 0, 0.29275f, 0.70725f, 0, -0.02234f, 0.02234f, 1},
    {1, 0.14461f, -0.14461f, 0, 0.85924f, 0.14076f, 0, 0.85924f, 0.14076f},
};

// OKLab of a linear RGB colour: a roughly perceptual space where 0.02 is a
// just-noticeable difference.
Vec3 OkLab(Vec3 c)
{
    float l = std::cbrt(std::max(0.0f, 0.4122214708f * c[0] + 0.5363325363f * c[1] + 0.0514459929f * c[2]));
    float m = std::cbrt(std::max(0.0f, 0.2119034982f * c[0] + 0.6806995451f * c[1] + 0.1073969566f * c[2]));
    float s = std::cbrt(std::max(0.0f, 0.0883024619f * c[0] + 0.2817188376f * c[1] + 0.6299787005f * c[2]));
    return {0.2104542553f * l + 0.7936177850f * m - 0.0040720468f * s,
            1.9779984951f * l - 2.4285922050f * m + 0.4505937099f * s,
            0.0259040371f * l + 0.7827717662f * m - 0.8086757660f * s};
}

float Distance(Vec3 a, Vec3 b)
{
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

// Mean linear colour of the face: the band between emblem and bevel on the
// lower half, away from the emblem, the rim and the gloss.
Vec3 FaceColour(const Kyt& tile)
{
    Vec3 sum = {0, 0, 0};
    int n = 0;
    for (int y = 32; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
        {
            float r = std::hypot(x + 0.5f - 32, y + 0.5f - 32);
            if (r <= 18 || r >= 26)
                continue;
            for (int k = 0; k < 3; ++k)
                sum[k] += Linear(tile.Visible(x, y)[k] / 255.0f);
            ++n;
        }
    return {sum[0] / n, sum[1] / n, sum[2] / n};
}

Vec3 Simulate(const Vec3& c, int kind)
{
    const float* m = simulations[kind];
    return {m[0] * c[0] + m[1] * c[1] + m[2] * c[2], m[3] * c[0] + m[4] * c[1] + m[5] * c[2],
            m[6] * c[0] + m[7] * c[1] + m[8] * c[2]};
}

// The emblem: central texels whose lightness stands clearly apart from the
// face around it (the emblems are light inlays or dark engravings).
std::vector<bool> EmblemMask(const Kyt& tile)
{
    std::vector<float> ring;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
        {
            float r = std::hypot(x + 0.5f - 32, y + 0.5f - 32);
            if (r > 21.5f && r < 24.5f)
                ring.push_back(Luma(tile.Visible(x, y)));
        }
    std::sort(ring.begin(), ring.end());
    float face = ring[ring.size() / 2];
    std::vector<bool> mask(64 * 64, false);
    for (int y = 12; y < 52; ++y)
        for (int x = 12; x < 52; ++x)
            mask[y * 64 + x] = std::fabs(Luma(tile.Visible(x, y)) - face) > 0.2f;
    return mask;
}

class Blocks : public testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < 8; ++i)
        {
            tiles.push_back(ReadKyt(BlockPath(i)));
            ASSERT_TRUE(tiles.back().valid) << BlockPath(i) << ": " << tiles.back().problem;
        }
    }
    std::vector<Kyt> tiles;
};

} // namespace

TEST(GeneratedTextures, EveryFileHasTheRawTextureLayout)
{
    for (int i = 0; i < 12; ++i)
    {
        std::string path = i < 8 ? BlockPath(i) : GuiPath(i - 8);
        Kyt kyt = ReadKyt(path);
        ASSERT_TRUE(kyt.valid) << path << ": " << kyt.problem;
        EXPECT_EQ(kyt.format, 0x303u) << path; // RGBA, unsigned normalised
        EXPECT_EQ(kyt.componentSize, 0u) << path;
        EXPECT_EQ(kyt.depth, 1u) << path;
        EXPECT_EQ(kyt.noData, 0u) << path;
        EXPECT_EQ(kyt.levels, 1u) << path;
        unsigned w = i < 8 ? 64 : 480, h = i < 8 ? 64 : 48;
        EXPECT_EQ(kyt.width, w) << path;
        EXPECT_EQ(kyt.height, h) << path;
        EXPECT_EQ(kyt.fileSize, 28u + w * h * 4) << path;
    }
}

TEST_F(Blocks, AreRoundedOpaqueTilesWithTransparentCorners)
{
    for (const Kyt& tile : tiles)
    {
        // Corners outside the rounding: nothing the alpha test lets through.
        for (int c = 0; c < 3; ++c)
        {
            EXPECT_EQ(tile.Visible(c, c)[3], 0);
            EXPECT_EQ(tile.Visible(63 - c, c)[3], 0);
            EXPECT_EQ(tile.Visible(c, 63 - c)[3], 0);
            EXPECT_EQ(tile.Visible(63 - c, 63 - c)[3], 0);
        }
        // The inside is solid: the full width away from the rounded corners,
        // the full height likewise, and the diagonal well into the corners.
        for (int a = 14; a < 50; ++a)
            for (int b = 3; b < 61; ++b)
            {
                ASSERT_EQ(tile.Visible(b, a)[3], 255) << b << "," << a;
                ASSERT_EQ(tile.Visible(a, b)[3], 255) << a << "," << b;
            }
        for (int d = 8; d < 56; ++d)
            ASSERT_EQ(tile.Visible(d, d)[3], 255) << d;
        EXPECT_GE(tile.Visible(32, 1)[3], 128);
        EXPECT_GE(tile.Visible(1, 32)[3], 128);
    }
}

TEST_F(Blocks, AreLitFromTheUpperLeftWithADarkerRim)
{
    for (size_t i = 0; i < tiles.size(); ++i)
    {
        const Kyt& tile = tiles[i];
        // Bevel bands: upper-left edges lit, lower-right ones in shadow. A
        // tile stored upside down (t = 0 is the bottom on screen) fails here.
        float upperLeft = 0, lowerRight = 0;
        for (int k = 10; k < 54; ++k)
        {
            upperLeft += Luma(tile.Visible(k, 5)) + Luma(tile.Visible(5, k));
            lowerRight += Luma(tile.Visible(k, 58)) + Luma(tile.Visible(58, k));
        }
        EXPECT_GT(upperLeft, lowerRight * 1.25f) << "block " << i;
        // The outermost solid texels are darker than the bevel inside them.
        float rim = Luma(tile.Visible(32, 62)) + Luma(tile.Visible(1, 32));
        float bevel = Luma(tile.Visible(32, 57)) + Luma(tile.Visible(6, 32));
        EXPECT_LT(rim, bevel) << "block " << i;
    }
}

TEST_F(Blocks, HuesStayApartForCommonColourVisionDeficiencies)
{
    const char* const vision[] = {"normal", "protanopia", "deuteranopia", "tritanopia"};
    std::vector<Vec3> means;
    for (const Kyt& tile : tiles)
        means.push_back(FaceColour(tile));
    for (int kind = 0; kind < 4; ++kind)
        for (int a = 0; a < 8; ++a)
            for (int b = a + 1; b < 8; ++b)
            {
                float d = Distance(OkLab(Simulate(means[a], kind)), OkLab(Simulate(means[b], kind)));
                // The five-colour modes use blocks 1-5: those stay furthest apart.
                float needed = (a < 5 && b < 5) ? 0.09f : 0.07f;
                EXPECT_GT(d, needed) << "blocks " << a + 1 << " and " << b + 1 << " under " << vision[kind];
            }
}

TEST_F(Blocks, EachCarriesItsOwnEmblem)
{
    std::vector<std::vector<bool>> masks;
    for (const Kyt& tile : tiles)
    {
        masks.push_back(EmblemMask(tile));
        int area = 0;
        for (bool m : masks.back())
            area += m;
        EXPECT_GT(area, 200) << "an emblem of at least about 14 x 14 texels";
        EXPECT_LT(area, 1200);
    }
    // Two emblems differ in a clear number of texels (a centred dot and a
    // diamond of similar size still differ by well over a hundred).
    for (int a = 0; a < 8; ++a)
        for (int b = a + 1; b < 8; ++b)
        {
            int differing = 0;
            for (size_t i = 0; i < masks[a].size(); ++i)
                differing += masks[a][i] != masks[b][i];
            EXPECT_GT(differing, 150) << "emblems of blocks " << a + 1 << " and " << b + 1;
        }
}

TEST(GuiFaces, HoverIsBrighterDownIsPressedAndTextStaysReadable)
{
    std::vector<Kyt> faces;
    for (int i = 0; i < 4; ++i)
    {
        faces.push_back(ReadKyt(GuiPath(i)));
        ASSERT_TRUE(faces.back().valid) << GuiPath(i) << ": " << faces.back().problem;
    }
    auto meanLuma = [](const Kyt& face, int y0, int y1) {
        float sum = 0;
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 20; x < 460; ++x)
            {
                sum += Luma(face.Visible(x, y));
                ++n;
            }
        return sum / n;
    };
    for (int i = 0; i < 4; ++i)
    {
        const Kyt& face = faces[i];
        // Rounded corners are cut; alpha is all or nothing, since the GUI
        // blends with a constant alpha and only the alpha test uses it.
        EXPECT_EQ(face.Visible(0, 0)[3], 0) << guiNames[i];
        EXPECT_EQ(face.Visible(479, 47)[3], 0) << guiNames[i];
        for (size_t k = 3; k < face.texels.size(); k += 4)
            ASSERT_TRUE(face.texels[k] == 0 || face.texels[k] == 255) << guiNames[i];
        for (int y = 2; y < 46; ++y)
            ASSERT_EQ(face.Visible(240, y)[3], 255) << guiNames[i];
        // A contrast ratio of at least 4.5 between the text and the face:
        // its mean colour and each band the glyphs cover. Button captions
        // are black, 0.2 grey on the focused button (hover, and pressed
        // under the pointer); the field's text is (0.9, 0.9, 0.8).
        auto luminance = [](const uint8_t* t) {
            return 0.2126f * Linear(t[0] / 255.0f) + 0.7152f * Linear(t[1] / 255.0f) + 0.0722f * Linear(t[2] / 255.0f);
        };
        auto contrast = [](float a, float b) { return (std::max(a, b) + 0.05f) / (std::min(a, b) + 0.05f); };
        float text = i == 3 ? 0.2126f * Linear(0.9f) + 0.7152f * Linear(0.9f) + 0.0722f * Linear(0.8f)
                            : Linear(i == 0 ? 0.0f : 0.2f);
        float mean[3] = {0, 0, 0};
        int opaque = 0;
        for (size_t k = 0; k < face.texels.size(); k += 4)
            if (face.texels[k + 3] != 0)
            {
                for (int c = 0; c < 3; ++c)
                    mean[c] += face.texels[k + c];
                ++opaque;
            }
        const uint8_t meanTexel[3] = {static_cast<uint8_t>(std::lround(mean[0] / opaque)),
                                      static_cast<uint8_t>(std::lround(mean[1] / opaque)),
                                      static_cast<uint8_t>(std::lround(mean[2] / opaque))};
        EXPECT_GE(contrast(text, luminance(meanTexel)), 4.5f) << guiNames[i] << " mean colour";
        for (int y = 8; y < 40; y += 8)
        {
            float band = 0;
            for (int row = y; row < y + 8; ++row)
                for (int x = 20; x < 460; x += 4)
                    band += luminance(face.Visible(x, row));
            band /= 8 * 110;
            EXPECT_GT(contrast(text, band), 4.5f) << guiNames[i] << " rows " << y;
        }
    }
    float normal = meanLuma(faces[0], 4, 44), hover = meanLuma(faces[1], 4, 44);
    EXPECT_GT(hover, normal + 0.07f);
    // Raised faces are lighter at the top; the pressed one and the field are
    // sunk: darker at the top (in the shadow of the upper edge).
    EXPECT_GT(meanLuma(faces[0], 4, 14), meanLuma(faces[0], 34, 44));
    EXPECT_GT(meanLuma(faces[1], 4, 14), meanLuma(faces[1], 34, 44));
    EXPECT_LT(meanLuma(faces[2], 4, 14), meanLuma(faces[2], 34, 44));
    EXPECT_LT(meanLuma(faces[3], 4, 14), meanLuma(faces[3], 34, 44));
}

class GeneratedFont : public testing::Test
{
protected:
    void SetUp() override
    {
        font = ReadKyf(buildDir + "/Zived Udozo.kyf");
        ASSERT_TRUE(font.valid) << font.problem;
    }
    static bool Printable(int c) { return (c >= 32 && c <= 126) || c >= 160; }
    // The cell of byte c in atlas texels: [x0, x1) x [y0, y1), y0 = row of t0.
    void Cell(int c, int& x0, int& y0, int& x1, int& y1) const
    {
        x0 = static_cast<int>(std::lround(font.rect[c][0] * font.width));
        y0 = static_cast<int>(std::lround(font.rect[c][1] * font.height));
        x1 = static_cast<int>(std::lround(font.rect[c][2] * font.width));
        y1 = static_cast<int>(std::lround(font.rect[c][3] * font.height));
    }
    Kyf font;
};

TEST_F(GeneratedFont, HeaderAndSizeMatchTheFontFormat)
{
    EXPECT_EQ(font.fileSize, 4368u + static_cast<size_t>(font.width) * font.height);
    EXPECT_GE(font.lineHeight, 32);
    EXPECT_LE(font.lineHeight, 96);
    EXPECT_EQ(font.width % 4, 0) << "rows of the R8 atlas stay 4-byte aligned";
    EXPECT_LE(font.width, 4096);
    EXPECT_LE(font.height, 4096);
}

TEST_F(GeneratedFont, EveryPrintableCellLiesInsideTheAtlasOneTexelPerFontPixel)
{
    for (int c = 0; c < 256; ++c)
    {
        const float* r = font.rect[c];
        for (int i = 0; i < 4; ++i)
        {
            EXPECT_GE(r[i], 0.0f) << "byte " << c;
            EXPECT_LE(r[i], 1.0f) << "byte " << c;
        }
        if (!Printable(c))
        {
            EXPECT_EQ(font.advance[c], 0) << "control byte " << c << " takes no room";
            continue;
        }
        EXPECT_GT(font.advance[c], 0) << "byte " << c;
        // Top-left corner of a glyph is (s0, t0): t grows downwards in a cell.
        EXPECT_NEAR((r[2] - r[0]) * font.width, font.advance[c], 1e-3) << "byte " << c;
        EXPECT_NEAR((r[3] - r[1]) * font.height, font.lineHeight, 1e-3) << "byte " << c;
    }
}

TEST_F(GeneratedFont, CellsArePaddedSoFilteringDoesNotBleed)
{
    std::vector<int> owner(static_cast<size_t>(font.width) * font.height, -1);
    for (int c = 0; c < 256; ++c)
    {
        if (!Printable(c))
            continue;
        int x0, y0, x1, y1;
        Cell(c, x0, y0, x1, y1);
        ASSERT_GE(x0, 1);
        ASSERT_GE(y0, 1);
        ASSERT_LE(x1, font.width - 1);
        ASSERT_LE(y1, font.height - 1);
        // No two cells share a texel, nor touch without a blank texel between.
        for (int y = y0 - 1; y <= y1; ++y)
            for (int x = x0 - 1; x <= x1; ++x)
            {
                bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
                int& o = owner[static_cast<size_t>(y) * font.width + x];
                if (inside)
                {
                    ASSERT_EQ(o, -1) << "bytes " << c << " and " << o << " overlap";
                    o = c;
                }
                else
                {
                    EXPECT_EQ(font.Coverage(x, y), 0) << "ink in the padding next to byte " << c;
                }
            }
    }
}

TEST_F(GeneratedFont, GlyphsHaveInkUprightOnOneBaseline)
{
    auto inkRows = [&](int c, int& first, int& last) {
        int x0, y0, x1, y1;
        Cell(c, x0, y0, x1, y1);
        first = -1;
        last = -1;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (font.Coverage(x, y) >= 128)
                {
                    if (first < 0)
                        first = y - y0;
                    last = y - y0;
                }
    };
    for (int c = 33; c < 256; ++c)
    {
        if (!Printable(c) || c == 160 || c == 173)
            continue;
        int first, last;
        inkRows(c, first, last);
        EXPECT_GE(first, 0) << "byte " << c << " has no ink";
    }
    int first, last;
    inkRows(' ', first, last);
    EXPECT_EQ(first, -1) << "the space is blank";
    // Upright: an underscore sits low in its cell, a macron high (a flipped
    // atlas would swap them), and x and n share their baseline.
    int underscoreFirst, underscoreLast, macronFirst, macronLast, xFirst, xLast, nFirst, nLast, capFirst, capLast;
    inkRows('_', underscoreFirst, underscoreLast);
    inkRows(0xAF, macronFirst, macronLast);
    inkRows('x', xFirst, xLast);
    inkRows('n', nFirst, nLast);
    inkRows('H', capFirst, capLast);
    EXPECT_GT(underscoreFirst, font.lineHeight * 2 / 3);
    EXPECT_LT(macronLast, font.lineHeight / 3);
    EXPECT_EQ(xLast, nLast);
    EXPECT_EQ(capLast, nLast);
    EXPECT_LT(capFirst, xFirst);
}
