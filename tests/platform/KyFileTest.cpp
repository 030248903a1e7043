#include "platform/KyFile.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <new>
#include <string>
#include <unistd.h>

namespace
{
std::string WriteTemp(const std::string& content)
{
    char path[] = "/tmp/kyfile-XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    close(fd);
    return path;
}
} // namespace

TEST(KyFile, ZeroedObjectIsClosedAndClosingTwiceIsHarmless)
{
    alignas(KyFile) unsigned char storage[sizeof(KyFile)];
    std::memset(storage, 0, sizeof storage);
    KyFile* file = reinterpret_cast<KyFile*>(storage);
    EXPECT_FALSE(file->IsOpen());
    char byte;
    EXPECT_NE(file->Read(&byte, 1), 0);
    EXPECT_EQ(file->CloseFile(), 0);
    EXPECT_EQ(file->CloseFile(), 0);
}

TEST(KyFile, ReadsSeeksAndFailsShortReads)
{
    std::string path = WriteTemp("abcdefgh");
    KyFile file;
    ASSERT_EQ(file.OpenFile(path.c_str(), 16), 0);
    char buffer[8] = {};
    ASSERT_EQ(file.Read(buffer, 3), 0);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(file.Seek(2, KY_SEEK_CURRENT), 0);
    EXPECT_EQ(file.Remaining(), 3);
    ASSERT_EQ(file.Read(buffer, 2), 0);
    EXPECT_EQ(std::string(buffer, 2), "fg");
    EXPECT_NE(file.Read(buffer, 2), 0) << "only one byte was left";
    EXPECT_EQ(file.Read(buffer, 0), 0);
    EXPECT_EQ(file.CloseFile(), 0);
    EXPECT_EQ(file.CloseFile(), 0);
    EXPECT_NE(file.Read(buffer, 1), 0);
    unlink(path.c_str());
}

TEST(KyFile, MissingFilesAndDirectoriesDoNotOpen)
{
    KyFile file;
    EXPECT_NE(file.OpenFile("/nonexistent/none.kyt", 16), 0);
    EXPECT_NE(file.OpenFile("/tmp", 16), 0);
    EXPECT_NE(file.OpenFile(nullptr, 16), 0);
    EXPECT_FALSE(file.IsOpen());
}

TEST(KyFile, NegativeCountIsRefused)
{
    std::string path = WriteTemp("abc");
    KyFile file;
    ASSERT_EQ(file.OpenFile(path.c_str(), 16), 0);
    char buffer[4];
    EXPECT_NE(file.Read(buffer, -1), 0);
    unlink(path.c_str());
}

TEST(KyFile, ExtensionOfTheLastPathComponent)
{
    EXPECT_STREQ(KyFE_GetFileNameExtension("textures/block01.kyt"), "kyt");
    EXPECT_STREQ(KyFE_GetFileNameExtension("a/b.c/picture.TGA"), "TGA");
    EXPECT_STREQ(KyFE_GetFileNameExtension("archive.tar.bmp"), "bmp");
    EXPECT_STREQ(KyFE_GetFileNameExtension("dir.d/noext"), "");
    EXPECT_STREQ(KyFE_GetFileNameExtension("trailing."), "");
    EXPECT_STREQ(KyFE_GetFileNameExtension(""), "");
    EXPECT_STREQ(KyFE_GetFileNameExtension(nullptr), "");
}
