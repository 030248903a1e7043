// The asset tool as the build runs it: byte-identical output, every file
// decoding to the picture the tool drew, clear failures that leave earlier
// files alone, and a valid contact sheet.
#include "tests/support/ScratchDir.h"
#include "tests/tools/AssetReader.h"
#include "tools/BlockArt.h"
#include "tools/ContactSheet.h"
#include "tools/FontBaker.h"
#include "tools/GuiArt.h"
#include "tools/Icons.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

const std::string buildDir = TUMBLOX_BINARY_DIR;
const std::string tool = buildDir + "/tumblox_assets";
const char* const dejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::vector<std::string> AssetNames()
{
    std::vector<std::string> names;
    for (int i = 1; i <= 8; ++i)
    {
        char name[32];
        std::snprintf(name, sizeof name, "textures/block%02d.kyt", i);
        names.push_back(name);
    }
    for (const char* face : {"KyMinGUI_Button", "KyMinGUI_Button_H", "KyMinGUI_Button_D", "KyMinGUI_Edit"})
        names.push_back(std::string("textures/") + face + ".kyt");
    names.push_back("Zived Udozo.kyf");
    names.push_back("Zived Udozo.LICENSE");
    return names;
}

std::string Quote(const std::string& s)
{
    return "'" + s + "'";
}

// Runs the tool with `arguments`; returns its exit status, its standard
// error in `errors`.
int RunTool(const std::string& arguments, std::string* errors, const std::string& errorFile)
{
    std::string command = Quote(tool) + " " + arguments + " >/dev/null 2>" + Quote(errorFile);
    int status = std::system(command.c_str());
    bool ok;
    std::vector<uint8_t> text = AssetReader::ReadWholeFile(errorFile, &ok);
    errors->assign(text.begin(), text.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> FilesUnder(const std::string& dir)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), dir).string());
    std::sort(files.begin(), files.end());
    return files;
}

uint32_t Crc32(const uint8_t* data, size_t length)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i)
    {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// "" if the decoded bytes are the drawn ones; else how many differ, and
// the first.
std::string Differences(const std::vector<uint8_t>& decoded, const std::vector<uint8_t>& drawn)
{
    if (decoded.size() != drawn.size())
        return std::to_string(decoded.size()) + " bytes decoded, " + std::to_string(drawn.size()) + " drawn";
    size_t count = 0, first = 0;
    for (size_t i = 0; i < drawn.size(); ++i)
        if (decoded[i] != drawn[i] && count++ == 0)
            first = i;
    return count == 0 ? "" : std::to_string(count) + " bytes differ, the first at byte " + std::to_string(first);
}

} // namespace

TEST(AssetTool, EveryFileDecodesToThePictureItDrew)
{
    ScratchDir out, scratch;
    std::string errors;
    ASSERT_EQ(RunTool("--out " + Quote(out.path) + " --icons " + Quote(out.path + "/icons") + " --contact-sheet " +
                          Quote(out.path + "/sheet.png"),
                      &errors, scratch.path + "/err"),
              0)
        << errors;
    std::vector<Image> blocks, faces;
    for (int i = 0; i < blockCount + 4; ++i)
    {
        const std::string name = AssetNames()[i];
        const AssetReader::Kyt kyt = AssetReader::ReadKyt(out.path + "/" + name);
        std::vector<uint8_t> picture; // the texels top row first, as drawn
        for (unsigned y = 0; y < kyt.height && kyt.valid; ++y)
            picture.insert(picture.end(), kyt.Visible(0, y), kyt.Visible(0, y) + kyt.width * 4);
        std::vector<Image>& drawn = i < blockCount ? blocks : faces;
        drawn.push_back(i < blockCount ? PaintBlock(i) : PaintGuiFace(static_cast<GuiFace>(i - blockCount)));
        EXPECT_EQ(Differences(picture, drawn.back().ToRGBA8()), "") << name << " " << kyt.problem;
    }
    BakedFont font;
    ASSERT_TRUE(BakeFont(dejaVu, font));
    const AssetReader::Kyf kyf = AssetReader::ReadKyf(out.path + "/Zived Udozo.kyf");
    ASSERT_TRUE(kyf.valid) << kyf.problem;
    EXPECT_EQ(kyf.lineHeight, font.lineHeight);
    EXPECT_EQ(std::memcmp(kyf.advance, font.advance, sizeof kyf.advance), 0) << "the advances";
    EXPECT_EQ(std::memcmp(kyf.rect, font.texCoords, sizeof kyf.rect), 0) << "the cells' rectangles, bit for bit";
    EXPECT_EQ(Differences(kyf.atlas, font.atlas), "") << "the atlas";

    bool ok;
    for (int size : iconSizes)
    {
        const std::string name = "/icons/" + std::to_string(size) + "x" + std::to_string(size) + "/tumblox.png";
        const AssetReader::Png png = AssetReader::ReadPng(AssetReader::ReadWholeFile(out.path + name, &ok));
        EXPECT_EQ(Differences(png.pixels, PaintIcon(size).ToRGBA8()), "") << name << " " << png.problem;
    }
    const AssetReader::Png png = AssetReader::ReadPng(AssetReader::ReadWholeFile(out.path + "/sheet.png", &ok));
    EXPECT_EQ(Differences(png.pixels, PaintContactSheet(blocks, faces, font).ToRGB8()), "") << png.problem;
}

TEST(AssetTool, TwoRunsWriteIdenticalBytesAndMatchTheBuild)
{
    ScratchDir first, second, scratch;
    ASSERT_FALSE(first.path.empty());
    std::string errors;
    ASSERT_EQ(RunTool("--out " + Quote(first.path), &errors, scratch.path + "/err"), 0) << errors;
    ASSERT_EQ(RunTool("--out " + Quote(second.path), &errors, scratch.path + "/err"), 0) << errors;

    std::vector<std::string> expected = AssetNames();
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesUnder(first.path), expected) << "exactly the assets, no temporary files left";
    for (const std::string& name : expected)
    {
        bool ok1, ok2, ok3;
        std::vector<uint8_t> a = AssetReader::ReadWholeFile(first.path + "/" + name, &ok1);
        std::vector<uint8_t> b = AssetReader::ReadWholeFile(second.path + "/" + name, &ok2);
        std::vector<uint8_t> built = AssetReader::ReadWholeFile(buildDir + "/" + name, &ok3);
        ASSERT_TRUE(ok1 && ok2) << name;
        EXPECT_TRUE(a == b) << name << " differs between two runs";
        ASSERT_TRUE(ok3) << "the build did not generate " << name;
        EXPECT_TRUE(a == built) << name << " in build/ is stale";
    }
}

TEST(AssetTool, MissingFontFailsClearlyAndLeavesEarlierFilesAlone)
{
    ScratchDir out, scratch;
    fs::create_directories(out.path + "/textures");
    const std::string earlier = out.path + "/textures/block01.kyt";
    {
        FILE* f = std::fopen(earlier.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("earlier", f);
        std::fclose(f);
    }
    std::string errors;
    const std::string missing = scratch.path + "/no such font.ttf";
    EXPECT_NE(RunTool("--out " + Quote(out.path) + " --font " + Quote(missing), &errors, scratch.path + "/err"), 0);
    EXPECT_NE(errors.find(missing), std::string::npos) << "the message names the file: " << errors;
    EXPECT_EQ(FilesUnder(out.path), std::vector<std::string>{"textures/block01.kyt"});
    bool ok;
    std::vector<uint8_t> kept = AssetReader::ReadWholeFile(earlier, &ok);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "earlier");
}

TEST(AssetTool, UnreadableOrTruncatedFontFailsWithoutWritingAnything)
{
    ScratchDir out, scratch;
    // Not a font at all.
    const std::string text = scratch.path + "/text.ttf";
    {
        FILE* f = std::fopen(text.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("this is not a font\n", f);
        std::fclose(f);
    }
    std::string errors;
    EXPECT_NE(RunTool("--out " + Quote(out.path) + " --font " + Quote(text), &errors, scratch.path + "/err"), 0);
    EXPECT_NE(errors.find("tumblox_assets:"), std::string::npos) << errors;
    EXPECT_TRUE(FilesUnder(out.path).empty());

    // The real font cut short: FreeType no longer reads it.
    bool ok;
    std::vector<uint8_t> font = AssetReader::ReadWholeFile(dejaVu, &ok);
    ASSERT_TRUE(ok);
    const std::string cut = scratch.path + "/cut.ttf";
    {
        FILE* f = std::fopen(cut.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(font.data(), 1, font.size() / 3, f);
        std::fclose(f);
    }
    EXPECT_NE(RunTool("--out " + Quote(out.path) + " --font " + Quote(cut), &errors, scratch.path + "/err"), 0);
    EXPECT_NE(errors.find("tumblox_assets:"), std::string::npos) << errors;
    EXPECT_TRUE(FilesUnder(out.path).empty());
}

TEST(AssetTool, FontWithoutAnIso88591GlyphIsRefused)
{
    // A real font of the same package that has no soft hyphen (U+00AD).
    const char* const math = "/usr/share/fonts/truetype/dejavu/DejaVuMathTeXGyre.ttf";
    if (!fs::exists(math))
        GTEST_SKIP() << math << " is not installed";
    ScratchDir out, scratch;
    std::string errors;
    EXPECT_NE(RunTool("--out " + Quote(out.path) + " --font " + Quote(math), &errors, scratch.path + "/err"), 0);
    EXPECT_NE(errors.find("no glyph for U+00AD"), std::string::npos) << errors;
    EXPECT_TRUE(FilesUnder(out.path).empty());
}

TEST(AssetTool, BadArgumentsAreRefused)
{
    ScratchDir scratch;
    std::string errors;
    EXPECT_EQ(RunTool("", &errors, scratch.path + "/err"), 2);
    EXPECT_NE(errors.find("usage:"), std::string::npos);
    EXPECT_EQ(RunTool("--bogus x", &errors, scratch.path + "/err"), 2);
    EXPECT_EQ(RunTool("--out", &errors, scratch.path + "/err"), 2);
}

TEST(AssetTool, ContactSheetIsAWellFormedPng)
{
    ScratchDir scratch;
    std::string errors;
    const std::string sheet = scratch.path + "/sheet.png";
    ASSERT_EQ(RunTool("--contact-sheet " + Quote(sheet), &errors, scratch.path + "/err"), 0) << errors;
    bool ok;
    std::vector<uint8_t> png = AssetReader::ReadWholeFile(sheet, &ok);
    ASSERT_TRUE(ok);
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(png.size(), 8u);
    ASSERT_TRUE(std::equal(signature, signature + 8, png.begin()));
    size_t pos = 8;
    std::vector<std::string> chunks;
    while (pos + 12 <= png.size())
    {
        uint32_t length = AssetReader::GetBigEndian32(&png[pos]);
        ASSERT_LE(pos + 12 + length, png.size());
        std::string type(png.begin() + pos + 4, png.begin() + pos + 8);
        EXPECT_EQ(AssetReader::GetBigEndian32(&png[pos + 8 + length]), Crc32(&png[pos + 4], length + 4)) << type;
        if (type == "IHDR")
        {
            EXPECT_GE(AssetReader::GetBigEndian32(&png[pos + 8]), 960u);
            EXPECT_GE(AssetReader::GetBigEndian32(&png[pos + 12]), 600u);
            EXPECT_EQ(png[pos + 16], 8);
        }
        chunks.push_back(type);
        pos += 12 + length;
    }
    EXPECT_EQ(pos, png.size());
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks.front(), "IHDR");
    EXPECT_EQ(chunks.back(), "IEND");
}
