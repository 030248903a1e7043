// The asset tool's icons: the six hicolor sizes as RGBA PNG files, made
// without the font, the same bytes as the build's, and a clear failure
// when they cannot be written.
#include "tests/support/ScratchDir.h"
#include "tests/tools/AssetReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

const std::string buildDir = TUMBLOX_BINARY_DIR;
const std::string tool = buildDir + "/tumblox_assets";
const int sizes[] = {16, 32, 48, 64, 128, 256};

int RunIconTool(const std::string& arguments, const std::string& errorFile, std::string* errors)
{
    std::string command = "'" + tool + "' " + arguments + " >/dev/null 2>'" + errorFile + "'";
    int status = std::system(command.c_str());
    bool ok;
    std::vector<uint8_t> text = AssetReader::ReadWholeFile(errorFile, &ok);
    errors->assign(text.begin(), text.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string IconName(int size)
{
    return std::to_string(size) + "x" + std::to_string(size) + "/tumblox.png";
}

} // namespace

TEST(IconTool, WritesEveryHicolorSizeWithoutTheFontAsTheBuildDid)
{
    ScratchDir scratch;
    ASSERT_FALSE(scratch.path.empty());
    std::string errors;
    // The font is not read for the icons alone, so a missing one is no error.
    ASSERT_EQ(RunIconTool("--icons '" + scratch.path + "/icons' --font /nonexistent/font.ttf", scratch.path + "/err",
                          &errors),
              0)
        << errors;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(scratch.path + "/icons"))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 6);
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (int size : sizes)
    {
        bool ok = false;
        std::vector<uint8_t> png = AssetReader::ReadWholeFile(scratch.path + "/icons/" + IconName(size), &ok);
        ASSERT_TRUE(ok) << IconName(size);
        ASSERT_GT(png.size(), 33u);
        EXPECT_TRUE(std::equal(signature, signature + 8, png.begin()));
        EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
        EXPECT_EQ(AssetReader::GetBigEndian32(&png[16]), static_cast<uint32_t>(size));
        EXPECT_EQ(AssetReader::GetBigEndian32(&png[20]), static_cast<uint32_t>(size));
        EXPECT_EQ(png[24], 8) << "bits per channel";
        EXPECT_EQ(png[25], 6) << "RGBA";
        std::vector<uint8_t> built = AssetReader::ReadWholeFile(buildDir + "/icons/" + IconName(size), &ok);
        ASSERT_TRUE(ok) << "the build wrote no " << IconName(size);
        EXPECT_EQ(png, built) << IconName(size) << " differs from the build's";
    }
}

TEST(IconTool, AnUnwritableFolderFailsWithItsName)
{
    ScratchDir scratch;
    ASSERT_FALSE(scratch.path.empty());
    // A plain file where the folder should be.
    std::string blocker = scratch.path + "/icons";
    FILE* f = std::fopen(blocker.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    std::string errors;
    EXPECT_NE(RunIconTool("--icons '" + blocker + "'", scratch.path + "/err", &errors), 0);
    EXPECT_NE(errors.find(blocker), std::string::npos) << errors;
}
