#include "engine/core/Log.h"

#include <gtest/gtest.h>
#include <string>

TEST(Log, InfoGoesToStdoutWithPrefixAndOneLineEnd)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    LogInfo("%s", "abc");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Info: abc\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Log, ErrorAndFatalGoToStderr)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    LogError("[Texture::Load] cannot open file '%s'.", "x.kyt");
    LogFatal("bad %d", 7); // returns to its caller before any main loop exists
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: [Texture::Load] cannot open file 'x.kyt'.\nFatal Error: bad 7\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(Log, MessageEndingInLineFeedGetsAnEmptyLineAfterIt)
{
    testing::internal::CaptureStderr();
    LogError("done\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: done\n\n");
}

TEST(Log, GLErrorWithoutPendingErrorWritesNothing)
{
    testing::internal::CaptureStderr();
    LogGLError("x");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Log, LongestMessageThatFitsIsKeptWhole)
{
    std::string message(6136, 'm'); // + "Error: " + terminator = 6144
    testing::internal::CaptureStderr();
    LogError("%s", message.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: " + message + "\n");
}

TEST(Log, OverlongMessageIsCutAtTheBuffer)
{
    std::string message(20000, 'q');
    testing::internal::CaptureStdout();
    LogInfo("%s", message.c_str());
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(out.size(), static_cast<size_t>(LOG_BUFFER_SIZE)); // 6143 bytes and the line end
    EXPECT_EQ(out.substr(0, 6), "Info: ");
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(out.find_first_not_of('q', 6), out.size() - 1);
}

TEST(Log, OutOfMemoryLine)
{
    testing::internal::CaptureStderr();
    LogOutOfMemory(176);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Out of Memory. Could not allocate 176 byte.\n");
}
