#include "engine/resources/ShaderReplacements.h"
#include "engine/resources/UniformManager.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using KyE::Graphic::Effect::ExtractShaderName;
using KyE::Graphic::Effect::PreprocessShaderSource;
using KyE::Graphic::Effect::PROCESSED_SOURCE_SIZE;
using KyE::Graphic::Effect::ShaderReplacement;
namespace Table = KyE::Graphic::Effect::ShaderReplacements;

namespace
{
const ShaderReplacement replA = {"A", 1};
const ShaderReplacement replABC = {"ABC", 3};
const ShaderReplacement replOther = {"other", 5};
const ShaderReplacement uniformHeader = {UniformManager::declarations, UniformManager::DECLARATIONS_LENGTH};
const ShaderReplacement nameDirective = {"//", 2};

// The table is process-wide: each test starts from an empty one.
class ShaderReplacementsTest : public testing::Test
{
protected:
    void SetUp() override { Table::Clear(); }
    void TearDown() override { Table::Clear(); }
};

std::string Processed(const char* source)
{
    char* text = PreprocessShaderSource(source);
    if (text == nullptr)
        return "<null>";
    std::string result = text;
    free(text);
    return result;
}

std::string Name(const char* source)
{
    char* name = ExtractShaderName(source);
    if (name == nullptr)
        return "<null>";
    std::string result = name;
    free(name);
    return result;
}
} // namespace

TEST_F(ShaderReplacementsTest, LongestKeyWinsAndTheCursorMovesPastIt)
{
    EXPECT_EQ(Table::Add("#a", &replA), 0);
    EXPECT_EQ(Table::Add("#abc", &replABC), 0);

    const char* text = "#abd";
    const char* cursor = text;
    EXPECT_EQ(Table::Match(cursor), &replA);
    EXPECT_EQ(cursor, text + 2); // on the b

    text = "#abcd";
    cursor = text;
    EXPECT_EQ(Table::Match(cursor), &replABC);
    EXPECT_EQ(cursor, text + 4); // on the d

    text = "#b";
    cursor = text;
    EXPECT_EQ(Table::Match(cursor), nullptr);
    EXPECT_EQ(cursor, text);

    text = "#";
    cursor = text;
    EXPECT_EQ(Table::Match(cursor), nullptr);
    EXPECT_EQ(cursor, text);
}

TEST_F(ShaderReplacementsTest, SameKeyTwiceReplaces)
{
    EXPECT_EQ(Table::Add("#name", &replA), 0);
    EXPECT_EQ(Table::Add("#name", &replOther), 1);
    const char* cursor = "#name x";
    EXPECT_EQ(Table::Match(cursor), &replOther);
    EXPECT_STREQ(cursor, " x");
    // A key that only joined others gets its first value: 0, not 1.
    Table::Clear();
    Table::Add("#ab", &replA);
    Table::Add("#ac", &replA);
    EXPECT_EQ(Table::Add("#a", &replOther), 0);
    EXPECT_EQ(Table::Add("#a", &replABC), 1);
    EXPECT_EQ(Table::Add("", &replA), -1);
}

TEST_F(ShaderReplacementsTest, SplitsKeepEveryKey)
{
    // Shorter key inside a label, keys that differ in the middle, siblings.
    const char* keys[] = {"#header uniforms", "#head", "#name", "#header lights", "#h", "#nam", "$x"};
    ShaderReplacement values[7];
    for (int i = 0; i < 7; ++i)
    {
        values[i] = {keys[i], strlen(keys[i])};
        EXPECT_EQ(Table::Add(keys[i], &values[i]), 0) << keys[i];
    }
    for (int i = 0; i < 7; ++i)
    {
        std::string text = std::string(keys[i]) + "!";
        const char* cursor = text.c_str();
        EXPECT_EQ(Table::Match(cursor), &values[i]) << keys[i];
        EXPECT_STREQ(cursor, "!");
    }
    const char* cursor = "#header u";
    EXPECT_EQ(Table::Match(cursor), &values[1]); // "#head"; "#header " has no value
    EXPECT_STREQ(cursor, "er u");
}

TEST_F(ShaderReplacementsTest, RandomKeysAgreeWithAPlainLongestPrefixSearch)
{
    uint32_t state = 7;
    auto next = [&state]() {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    };
    auto word = [&](size_t maxLength) {
        std::string w;
        size_t length = 1 + next() % maxLength;
        for (size_t i = 0; i < length; ++i)
            w += static_cast<char>('a' + next() % 3);
        return w;
    };
    std::map<std::string, const ShaderReplacement*> latest;
    std::vector<ShaderReplacement> values(200);
    for (int i = 0; i < 200; ++i)
    {
        std::string key = word(6);
        bool known = latest.count(key) != 0;
        EXPECT_EQ(Table::Add(key.c_str(), &values[i]), known ? 1 : 0) << key;
        latest[key] = &values[i];
    }
    for (int t = 0; t < 500; ++t)
    {
        std::string text = word(9);
        size_t best = 0;
        const ShaderReplacement* expected = nullptr;
        for (auto& entry : latest)
        {
            const std::string& key = entry.first;
            if (key.size() > best && text.compare(0, key.size(), key) == 0)
            {
                best = key.size();
                expected = entry.second;
            }
        }
        const char* cursor = text.c_str();
        ASSERT_EQ(Table::Match(cursor), expected) << text;
        EXPECT_EQ(cursor, text.c_str() + best) << text;
    }
}

TEST_F(ShaderReplacementsTest, PreprocessingReplacesTheEngineDirectives)
{
    Table::Add("#header uniforms", &uniformHeader);
    Table::Add("#name", &nameDirective);
    EXPECT_EQ(Processed("#version 330#name Const Copy Color FS\nvoid main(){}"),
              "#version 330// Const Copy Color FS\nvoid main(){}");
    std::string header = Processed("a\n#header uniforms\nb");
    EXPECT_EQ(header, "a\n" + std::string(UniformManager::declarations, 684) + "\nb");
    EXPECT_EQ(header.size(), 2u + 684u + 2u);
    EXPECT_EQ(Processed(""), "");
    EXPECT_EQ(Processed("#header uniform"), "#header uniform"); // not the whole key
}

TEST_F(ShaderReplacementsTest, ReplacementTextIsNotScannedAgain)
{
    const ShaderReplacement loop = {"#x#x", 4};
    Table::Add("#x", &loop);
    EXPECT_EQ(Processed("#x."), "#x#x.");
    // Only the given length counts, not the text up to a zero.
    const ShaderReplacement part = {"abcdef", 2};
    Table::Add("#p", &part);
    EXPECT_EQ(Processed("(#p)"), "(ab)");
}

TEST_F(ShaderReplacementsTest, ProcessedTextThatWouldNotFitIsRefused)
{
    std::string fits(PROCESSED_SOURCE_SIZE - 1, 'x');
    EXPECT_EQ(Processed(fits.c_str()).size(), PROCESSED_SOURCE_SIZE - 1);

    std::string tooLong(PROCESSED_SOURCE_SIZE, 'x');
    testing::internal::CaptureStderr();
    EXPECT_EQ(Processed(tooLong.c_str()), "<null>");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: [PreprocessShaderSource] The processed shader source does not fit into 8192 bytes.\n");

    // A short source whose replacements grow it past the buffer.
    Table::Add("#header uniforms", &uniformHeader);
    std::string many;
    for (int i = 0; i < 12; ++i)
        many += "#header uniforms";
    testing::internal::CaptureStderr();
    EXPECT_EQ(Processed(many.c_str()), "<null>");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("does not fit"), std::string::npos);
    // Eleven of them (7524 bytes) and a tail up to the last byte still fit.
    std::string eleven;
    for (int i = 0; i < 11; ++i)
        eleven += "#header uniforms";
    eleven += std::string(PROCESSED_SOURCE_SIZE - 1 - 11 * 684, 'y');
    EXPECT_EQ(Processed(eleven.c_str()).size(), PROCESSED_SOURCE_SIZE - 1);
}

TEST(ExtractShaderName, LimitsAndLineEnds)
{
    EXPECT_EQ(Name("#version 330\n#name Draw 2D Transformation\nvoid main(){}"), "Draw 2D Transformation");
    EXPECT_EQ(Name("#version 330#name Const Copy Color FS\nuniform vec4 vColor;"), "Const Copy Color FS");
    EXPECT_EQ(Name("#name With CR\r\nx"), "With CR\r");
    EXPECT_EQ(Name("#version 330\nvoid main(){}"), "<null>");
    EXPECT_EQ(Name("#name"), "<null>"); // nothing after the directive
    EXPECT_EQ(Name("#name \nx"), "");   // a blank name line
    EXPECT_EQ(Name("#name\r\nx"), "");  // the CR is the separator
    EXPECT_EQ(Name("#name\r"), "");
    EXPECT_EQ(Name("#name\nnext line\nx"), "next line"); // the LF is the separator
    EXPECT_EQ(Name("x #name Last line"), "Last line");

    std::string name63(63, 'n');
    testing::internal::CaptureStderr();
    EXPECT_EQ(Name(("#name " + name63 + "\nx").c_str()), name63);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    std::string name64 = name63 + "Z";
    testing::internal::CaptureStderr();
    EXPECT_EQ(Name(("#name " + name64 + "\nx").c_str()), name63);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: [SingleShader::LoadShaderDirect] The name of a shader is to long. It will be shortened to 63 "
              "characters.\n");
}
