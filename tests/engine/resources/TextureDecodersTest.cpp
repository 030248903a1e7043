#include "engine/resources/TextureDecoders.h"

#include "platform/KyFile.h"
#include "tests/engine/resources/TextureTestFiles.h"

#include <gtest/gtest.h>
#include <string>

using namespace KyE::Graphic::Material;
using namespace TextureTestFiles;

namespace
{
// Decodes content as a file with the given extension, as Texture::Load does
// before the upload, and keeps what went to standard error.
struct Decoded
{
    bool ok = false;
    std::string errors;
    RawTexture raw;
    std::string name;

    Decoded(const std::string& content, const std::string& extension)
    {
        TempFile temp(content, extension);
        name = temp.Path();
        KyFile file;
        EXPECT_EQ(file.OpenFile(temp.Path(), 16), 0);
        testing::internal::CaptureStderr();
        ok = DecodeTextureFile(file, temp.Path(), raw);
        errors = testing::internal::GetCapturedStderr();
    }
    ~Decoded() { raw.FreeLevels(); }

    std::string Level(int i, size_t bytes) const { return std::string(reinterpret_cast<char*>(raw.levels[i]), bytes); }
    bool ErrorNamesFile() const { return errors.find(name) != std::string::npos; }
};

std::string Pattern(size_t bytes)
{
    std::string out(bytes, '\0');
    for (size_t i = 0; i < bytes; ++i)
        out[i] = char(i * 7 + 1);
    return out;
}
} // namespace

TEST(RawTexture, DefaultsAndFreeingEmptyEverySlot)
{
    RawTexture raw;
    EXPECT_EQ(raw.levelCount, 1);
    EXPECT_TRUE(raw.generateMipmaps);
    EXPECT_EQ(raw.componentSize, 0);
    EXPECT_EQ(raw.format, 0x303);
    EXPECT_EQ(raw.kind, 2);
    EXPECT_EQ(raw.depth, 1);
    for (unsigned char* level : raw.levels)
        EXPECT_EQ(level, nullptr);
    raw.levels[0] = static_cast<unsigned char*>(malloc(4));
    raw.levels[13] = static_cast<unsigned char*>(malloc(4));
    raw.FreeLevels();
    EXPECT_EQ(raw.levels[0], nullptr);
    EXPECT_EQ(raw.levels[13], nullptr);

    EXPECT_EQ(BytesPerTexel(0x303, 0), 4);
    EXPECT_EQ(BytesPerTexel(0x000, 3), 4);
    EXPECT_EQ(BytesPerTexel(0x403, 1), 10); // depth counts five components
    EXPECT_EQ(BytesPerTexel(0x504, 3), 24);
    EXPECT_EQ(BytesPerTexel(0x603, 0), 0);
    EXPECT_EQ(BytesPerTexel(0x305, 0), 0);
    EXPECT_EQ(BytesPerTexel(0x303, 4), 0);
}

TEST(LoadRawTexture, RgbaLevelIsReadWhole)
{
    KytHeader header;
    header.width = 64;
    header.height = 64;
    std::string pixels = Pattern(16384);
    std::string file = Kyt(header, pixels);
    ASSERT_EQ(file.size(), 28u + 16384u);
    Decoded d(file, "kyt");
    ASSERT_TRUE(d.ok) << d.errors;
    EXPECT_EQ(d.errors, "");
    EXPECT_EQ(d.raw.levelCount, 1);
    EXPECT_EQ(d.raw.width, 64);
    EXPECT_EQ(d.raw.height, 64);
    EXPECT_EQ(d.raw.format, 0x303);
    EXPECT_EQ(d.raw.kind, 2);
    EXPECT_TRUE(d.raw.generateMipmaps);
    EXPECT_EQ(d.Level(0, 16384), pixels);
}

TEST(LoadRawTexture, OddRowsCarryOnePaddingPerLevelAndLevelsFollowEachOther)
{
    // 3 x 2 RGB: 18 bytes of texels and 3 of padding, once.
    KytHeader rgb;
    rgb.format = 0x203;
    rgb.width = 3;
    rgb.height = 2;
    std::string level = Pattern(21);
    Decoded d(Kyt(rgb, level), "kyt");
    ASSERT_TRUE(d.ok) << d.errors;
    EXPECT_EQ(d.raw.format, 0x203);
    EXPECT_EQ(d.Level(0, 21), level);

    Decoded missingPadding(Kyt(rgb, level.substr(0, 18)), "kyt");
    EXPECT_FALSE(missingPadding.ok);
    EXPECT_TRUE(missingPadding.ErrorNamesFile()) << missingPadding.errors;

    // 4 x 4 R8, three levels of 16, 2 x 2 + 2 and 1 x 1 + 3 bytes, depth 3
    // counting in every level's size: 48, 2 * 2 + 2 (depth 1) and 1 + 3.
    KytHeader r8;
    r8.format = 0x003;
    r8.width = 4;
    r8.height = 4;
    r8.depth = 3;
    r8.levelCount = 3;
    std::string l0 = Pattern(48), l1 = "abcdef", l2 = "wxyz";
    Decoded levels(Kyt(r8, l0 + l1 + l2), "kyt");
    ASSERT_TRUE(levels.ok) << levels.errors;
    EXPECT_EQ(levels.raw.levelCount, 3);
    EXPECT_EQ(levels.raw.depth, 3);
    EXPECT_EQ(levels.raw.kind, 2) << "always 2D, whatever the depth";
    EXPECT_EQ(levels.Level(0, 48), l0);
    EXPECT_EQ(levels.Level(1, 6), l1);
    EXPECT_EQ(levels.Level(2, 4), l2);

    Decoded lastLevelShort(Kyt(r8, l0 + l1 + "wx"), "kyt");
    EXPECT_FALSE(lastLevelShort.ok);
}

TEST(LoadRawTexture, NoDataFlagLoadsWithoutPixels)
{
    KytHeader header;
    header.width = 32;
    header.height = 16;
    header.noData = 0x80000000u;
    Decoded d(Kyt(header, ""), "kyt");
    ASSERT_TRUE(d.ok) << d.errors;
    ASSERT_NE(d.raw.levels[0], nullptr);
    EXPECT_EQ(d.Level(0, 32 * 16 * 4), std::string(32 * 16 * 4, '\0'));

    // Without data the header is the only bound left: it still has one.
    header.width = 65535;
    header.height = 65535;
    Decoded huge(Kyt(header, ""), "kyt");
    EXPECT_FALSE(huge.ok);
    EXPECT_TRUE(huge.ErrorNamesFile()) << huge.errors;
}

TEST(LoadRawTexture, HostileHeadersAreRefusedNamingTheFile)
{
    struct Case
    {
        const char* what;
        KytHeader header;
    };
    KytHeader base;
    base.width = 2;
    base.height = 2;
    Case cases[7] = {{"no level", base},    {"15 levels", base}, {"layout 6", base}, {"kind 5", base},
                     {"size code 4", base}, {"width 0", base},   {"height 0", base}};
    cases[0].header.levelCount = 0;
    cases[1].header.levelCount = 15;
    cases[2].header.format = 0x603;
    cases[3].header.format = 0x305;
    cases[4].header.componentSize = 4;
    cases[5].header.width = 0;
    cases[6].header.height = 0;
    for (const Case& c : cases)
    {
        Decoded d(Kyt(c.header, Pattern(4096)), "kyt");
        EXPECT_FALSE(d.ok) << c.what;
        EXPECT_TRUE(d.ErrorNamesFile()) << c.what << ": " << d.errors;
    }

    KytHeader big;
    big.width = 4096;
    big.height = 4096;
    Decoded lying(Kyt(big, Pattern(100)), "kyt");
    EXPECT_FALSE(lying.ok);
    EXPECT_NE(lying.errors.find("holds 100 bytes"), std::string::npos) << lying.errors;

    Decoded shortHeader(std::string("KTex\3\3\1\0"), "kyt");
    EXPECT_FALSE(shortHeader.ok);
    EXPECT_TRUE(shortHeader.ErrorNamesFile());

    Decoded wrongMagic("KTEX" + Kyt(base, Pattern(16)).substr(4), "kyt");
    EXPECT_FALSE(wrongMagic.ok);
    EXPECT_EQ(wrongMagic.errors, "");

    KytHeader fourteen;
    fourteen.levelCount = 14;
    Decoded maximum(Kyt(fourteen, Pattern(14 * 4)), "kyt");
    EXPECT_TRUE(maximum.ok) << maximum.errors;
    EXPECT_NE(maximum.raw.levels[13], nullptr);
}

TEST(DecodeTextureFile, ExtensionsAreCaseSensitive)
{
    std::string tga = Tga(2, 1, 1, 24, Bytes({1, 2, 3}));
    EXPECT_TRUE(Decoded(tga, "tga").ok);
    EXPECT_FALSE(Decoded(tga, "TGA").ok);
    EXPECT_FALSE(Decoded(tga, "png").ok);
    EXPECT_FALSE(Decoded(Bmp(1, 1, 24, Bytes({1, 2, 3, 0})), "BMP").ok);
}

TEST(LoadTGA, UncompressedPixelsArriveRedGreenBlue)
{
    Decoded rgb(Tga(2, 2, 1, 24, Bytes({1, 2, 3, 4, 5, 6})), "tga");
    ASSERT_TRUE(rgb.ok) << rgb.errors;
    EXPECT_EQ(rgb.raw.format, 0x203);
    EXPECT_EQ(rgb.raw.width, 2);
    EXPECT_EQ(rgb.raw.height, 1);
    EXPECT_EQ(rgb.Level(0, 6), Bytes({3, 2, 1, 6, 5, 4}));

    Decoded rgba(Tga(2, 1, 2, 32, Bytes({1, 2, 3, 4, 5, 6, 7, 8})), "tga");
    ASSERT_TRUE(rgba.ok);
    EXPECT_EQ(rgba.raw.format, 0x303);
    EXPECT_EQ(rgba.Level(0, 8), Bytes({3, 2, 1, 4, 7, 6, 5, 8}));

    // One and two bytes a pixel have no blue to exchange.
    Decoded r(Tga(2, 3, 1, 8, Bytes({1, 2, 3})), "tga");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.raw.format, 0x003);
    EXPECT_EQ(r.Level(0, 3), Bytes({1, 2, 3}));
    Decoded rg(Tga(2, 3, 1, 16, Bytes({1, 2, 3, 4, 5, 6})), "tga");
    ASSERT_TRUE(rg.ok);
    EXPECT_EQ(rg.raw.format, 0x103);
    EXPECT_EQ(rg.Level(0, 6), Bytes({1, 2, 3, 4, 5, 6}));
}

TEST(LoadTGA, RunLengthPacketsRepeatAndCopy)
{
    // A run of four, then three raw pixels: a 7 x 1 image.
    std::string data = Bytes({0x83, 10, 20, 30, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    Decoded d(Tga(10, 7, 1, 24, data), "tga");
    ASSERT_TRUE(d.ok) << d.errors;
    EXPECT_EQ(d.errors, "");
    EXPECT_EQ(d.Level(0, 21), Bytes({30, 20, 10, 30, 20, 10, 30, 20, 10, 30, 20, 10, 3, 2, 1, 6, 5, 4, 9, 8, 7}));
}

TEST(LoadTGA, TruncatedRunLengthImageLoadsWithOneMessage)
{
    // 100 x 100 pixels, of which one packet gives four.
    Decoded d(Tga(10, 100, 100, 32, Bytes({0x83, 1, 2, 3, 4})), "tga");
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.errors, "Error: [LoadRleTga] Unexpected end of file.\n");
    EXPECT_EQ(d.Level(0, 8), Bytes({3, 2, 1, 4, 3, 2, 1, 4}));
    EXPECT_EQ(d.Level(0, 40000).substr(16), std::string(40000 - 16, '\0'));

    // The file ends inside a raw packet's pixels.
    Decoded inside(Tga(10, 4, 1, 24, Bytes({0x03, 1, 2, 3, 4})), "tga");
    ASSERT_TRUE(inside.ok);
    EXPECT_EQ(inside.errors, "Error: [LoadRleTga] Unexpected end of file.\n");
    EXPECT_EQ(inside.Level(0, 3), Bytes({3, 2, 1}));
}

TEST(LoadTGA, PacketsRunningPastTheImageAreCut)
{
    // 2 x 1 image; a run of 128 and a raw packet of 128 would each overrun.
    Decoded run(Tga(10, 2, 1, 24, Bytes({0xFF, 1, 2, 3})), "tga");
    ASSERT_TRUE(run.ok);
    EXPECT_TRUE(run.ErrorNamesFile()) << run.errors;
    EXPECT_EQ(run.Level(0, 6), Bytes({3, 2, 1, 3, 2, 1}));

    std::string raw = Bytes({0x01, 1, 2, 3, 4, 5, 6, 0x7F});
    raw += Pattern(128 * 3);
    Decoded rawPacket(Tga(10, 3, 1, 24, raw), "tga");
    ASSERT_TRUE(rawPacket.ok);
    EXPECT_EQ(rawPacket.Level(0, 9).substr(0, 6), Bytes({3, 2, 1, 6, 5, 4}));
}

TEST(LoadTGA, OtherImageTypesLoadWithoutPixelData)
{
    Decoded d(Tga(3, 2, 2, 32, ""), "tga");
    ASSERT_TRUE(d.ok) << d.errors;
    EXPECT_EQ(d.Level(0, 16), std::string(16, '\0'));
}

TEST(LoadTGA, HostileHeadersAndShortFilesAreRefused)
{
    Decoded header(std::string(10, '\0'), "tga");
    EXPECT_FALSE(header.ok);
    EXPECT_EQ(header.errors, "Error: [Texture::LoadTGA] Cannot read file header.\n");

    Decoded data(Tga(2, 4, 4, 24, Pattern(47)), "tga");
    EXPECT_FALSE(data.ok);
    EXPECT_EQ(data.errors, "Error: [Texture::LoadTGA] Cannot read file data.\n");

    Decoded hugeShort(Tga(2, 32767, 32767, 8, Pattern(10)), "tga");
    EXPECT_FALSE(hugeShort.ok);

    for (int depth : {0, 15, 7, 40})
    {
        Decoded d(Tga(2, 2, 2, depth, Pattern(64)), "tga");
        EXPECT_FALSE(d.ok) << depth;
        EXPECT_TRUE(d.ErrorNamesFile()) << depth << ": " << d.errors;
    }
    for (int type : {2, 10})
    {
        Decoded negative(Tga(type, -3, 2, 24, Pattern(64)), "tga");
        EXPECT_FALSE(negative.ok);
        EXPECT_TRUE(negative.ErrorNamesFile()) << negative.errors;
        Decoded empty(Tga(type, 3, 0, 24, Pattern(64)), "tga");
        EXPECT_FALSE(empty.ok);
        Decoded thin(Tga(type, 0, 3, 24, Pattern(64)), "tga");
        EXPECT_FALSE(thin.ok);
        Decoded huge(Tga(type, 32767, 32767, 32, Pattern(64)), "tga");
        EXPECT_FALSE(huge.ok);
        EXPECT_TRUE(huge.ErrorNamesFile()) << huge.errors;
    }
}

TEST(LoadTGA, TheRunLengthDecoderRefusesAHeaderWithoutPixels)
{
    // Called on its own, it checks the header it is given again.
    TempFile temp(Bytes({0x83, 1, 2, 3}), "tga");
    unsigned char pixels[16] = {};
    struct Header
    {
        int width, height, depth;
    };
    for (Header h : {Header{0, 1, 24}, Header{1, 0, 24}, Header{1, 1, 0}, Header{1, 1, 40}})
    {
        const std::string header = Tga(10, h.width, h.height, h.depth, "");
        KyFile file;
        ASSERT_EQ(file.OpenFile(temp.Path(), 16), 0);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(LoadRleTga(pixels, reinterpret_cast<const unsigned char*>(header.data()), file, "rle"))
            << h.width << " x " << h.height << " x " << h.depth;
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "Error: [LoadRleTga] 'rle' has a header this reader cannot decode.\n");
    }
}

TEST(LoadBMP, RowsSkipTheirPaddingAndArriveRedGreenBlue)
{
    // 3 x 2 at 24 bits: 9 bytes a row and 3 of padding.
    std::string rows = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 99, 99, 99, 11, 12, 13, 14, 15, 16, 17, 18, 19, 99, 99, 99});
    Decoded d(Bmp(3, 2, 24, rows), "bmp");
    ASSERT_TRUE(d.ok) << d.errors;
    EXPECT_EQ(d.raw.format, 0x203);
    EXPECT_EQ(d.raw.width, 3);
    EXPECT_EQ(d.raw.height, 2);
    EXPECT_EQ(d.Level(0, 18), Bytes({3, 2, 1, 6, 5, 4, 9, 8, 7, 13, 12, 11, 16, 15, 14, 19, 18, 17}));

    // The last row's padding may be missing from the file.
    Decoded noLastPadding(Bmp(3, 2, 24, rows.substr(0, 21)), "bmp");
    EXPECT_TRUE(noLastPadding.ok) << noLastPadding.errors;

    Decoded rgba(Bmp(1, 2, 32, Bytes({1, 2, 3, 4, 5, 6, 7, 8})), "bmp");
    ASSERT_TRUE(rgba.ok);
    EXPECT_EQ(rgba.raw.format, 0x303);
    EXPECT_EQ(rgba.Level(0, 8), Bytes({3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST(LoadBMP, UnreadDepthsSizesAndShortFilesAreRefused)
{
    Decoded sixteen(Bmp(2, 2, 16, Pattern(16)), "bmp");
    EXPECT_FALSE(sixteen.ok);
    EXPECT_EQ(sixteen.errors, "") << "no message of its own";

    for (unsigned bits : {25u, 31u, 48u, 64u})
    {
        Decoded d(Bmp(2, 2, bits, Pattern(64)), "bmp");
        EXPECT_FALSE(d.ok) << bits;
        EXPECT_TRUE(d.ErrorNamesFile()) << bits << ": " << d.errors;
    }
    struct Size
    {
        int32_t width, height;
    };
    // 4 x 0 at 24 bits: rows without padding, so no byte count refuses it.
    for (Size s : {Size{0, 2}, Size{-2, 2}, Size{2, 0}, Size{4, 0}, Size{2, -2}, Size{INT32_MIN, INT32_MIN},
                   Size{INT32_MAX, INT32_MAX}, Size{100000, 100000}})
    {
        Decoded d(Bmp(s.width, s.height, 24, Pattern(64)), "bmp");
        EXPECT_FALSE(d.ok) << s.width << " x " << s.height;
        EXPECT_TRUE(d.ErrorNamesFile()) << d.errors;
    }
    Decoded shortRows(Bmp(4, 4, 32, Pattern(63)), "bmp");
    EXPECT_FALSE(shortRows.ok);
    EXPECT_TRUE(shortRows.ErrorNamesFile());

    Decoded notBm("MB" + Bmp(1, 1, 24, Pattern(4)).substr(2), "bmp");
    EXPECT_FALSE(notBm.ok);
    EXPECT_EQ(notBm.errors, "");

    Decoded shortInfo(Bmp(1, 1, 24, "").substr(0, 30), "bmp");
    EXPECT_FALSE(shortInfo.ok);
    EXPECT_TRUE(shortInfo.ErrorNamesFile());
    Decoded shortFileHeader(std::string("BM"), "bmp");
    EXPECT_FALSE(shortFileHeader.ok);
}
