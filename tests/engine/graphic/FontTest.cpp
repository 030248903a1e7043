// Measuring and wrapping of text on a font filled in by hand: no file, no
// window.
#include "engine/graphic/Font.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using KyE::Graphic::Font;

namespace
{
// Every byte 4 font pixels wide, space 5, lines 10 high.
void Fill(Font& font, int width = 4, int space = 5)
{
    font.lineHeight = 10;
    for (int i = 0; i < 256; ++i)
        font.advance[i] = static_cast<uint8_t>(width);
    font.advance[static_cast<int>(' ')] = static_cast<uint8_t>(space);
}

// The lines the wrapping makes, each with its consumed end byte.
std::vector<std::string> Lines(const Font& font, const char* text, int maxWidth)
{
    std::vector<std::string> lines;
    const char* p = text;
    for (;;)
    {
        bool last = false;
        int used = font.NextLine(p, maxWidth, &last);
        lines.emplace_back(p, last ? used - 1 : used);
        if (last)
            break;
        p += used;
    }
    return lines;
}
} // namespace

TEST(FontMeasure, WidthIsTheWidestLine)
{
    Font font;
    Fill(font);
    EXPECT_EQ(font.GetTextWidth(""), 0);
    EXPECT_EQ(font.GetTextWidth("abc"), 12);
    EXPECT_EQ(font.GetTextWidth("a b"), 13);
    EXPECT_EQ(font.GetTextWidth("ab\nabcd\na"), 16);
    // A carriage return is an ordinary byte when measuring.
    EXPECT_EQ(font.GetTextWidth("ab\rc"), 16);
    EXPECT_EQ(font.GetTextWidth(nullptr), 0);
}

TEST(FontMeasure, LengthFormCountsOnlyThePrefix)
{
    Font font;
    Fill(font);
    EXPECT_EQ(font.GetTextWidth("abcdef", 2), 8);
    EXPECT_EQ(font.GetTextWidth("abcdef", 0), 0);
    EXPECT_EQ(font.GetTextWidth("abcdef", -3), 0);
    // Never past the terminator, whatever the length says.
    EXPECT_EQ(font.GetTextWidth("ab", 100), 8);
}

TEST(FontMeasure, TabsMoveToTheNextStopOfFourSpaces)
{
    Font font;
    Fill(font);
    font.advance[static_cast<int>('w')] = 7;
    // Stops every 20 pixels: after a 7-pixel byte a tab goes to 20, a tab
    // at 20 goes on to 40 (a tab always moves forward).
    EXPECT_EQ(font.GetTextWidth("w\t"), 20);
    EXPECT_EQ(font.GetTextWidth("\t"), 20);
    EXPECT_EQ(font.GetTextWidth("\t\t"), 40);
    EXPECT_EQ(font.GetTextWidth("w\tw"), 27);
    EXPECT_EQ(font.TabStop(20), 40);
    EXPECT_EQ(font.TabStop(19), 20);
}

TEST(FontMeasure, TabWithoutSpaceWidthAdvancesByItsOwnWidth)
{
    Font font;
    Fill(font, 4, 0);
    font.advance[9] = 6;
    EXPECT_EQ(font.GetTextWidth("a\t"), 10);
    EXPECT_EQ(font.GetTextWidth("\t\t"), 12);
    font.advance[9] = 0;
    EXPECT_EQ(font.GetTextWidth("a\ta"), 8);
}

TEST(FontWrap, LongWordOverflowsOnItsOwnLineAndIsNeverEmpty)
{
    Font font;
    Fill(font);
    // 4 per byte, room for 10: the byte that overflows stays on the line.
    EXPECT_EQ(Lines(font, "abcdef", 10), (std::vector<std::string>{"abc", "def", ""}));
    EXPECT_EQ(font.CountLines("abcdef", 10), 2u);
    // Exactly maxWidth wide still fits.
    EXPECT_EQ(font.CountLines("ab", 8), 1u);
    // Even a width of zero puts one byte on each line, never an empty one.
    EXPECT_EQ(font.CountLines("abc", 0), 3u);
}

TEST(FontWrap, SecondWordWrapsAfterTheSpace)
{
    Font font;
    Fill(font);
    // a b space = 13; c makes 17 > 14: the line ends with its space.
    EXPECT_EQ(Lines(font, "ab cd", 14), (std::vector<std::string>{"ab ", "cd"}));
    EXPECT_EQ(font.CountLines("ab cd", 14), 2u);
    // The break is at the last blank, a tab counting as one.
    EXPECT_EQ(Lines(font, "a b\tcd", 14), (std::vector<std::string>{"a b\t", "cd"}));
    // Wide enough, one line.
    EXPECT_EQ(font.CountLines("ab cd", 100), 1u);
}

TEST(FontWrap, LineFeedAndCarriageReturnEndLines)
{
    Font font;
    Fill(font);
    EXPECT_EQ(Lines(font, "ab\ncd", 1000), (std::vector<std::string>{"ab\n", "cd"}));
    // CR LF is two breaks, the second an empty line.
    EXPECT_EQ(Lines(font, "ab\r\ncd", 1000), (std::vector<std::string>{"ab\r", "\n", "cd"}));
    EXPECT_EQ(font.CountLines("ab\r\ncd", 1000), 3u);
    EXPECT_EQ(font.CountLines("a\rb", 1000), 2u);
}

TEST(FontWrap, CountLinesOfEmptyTextsAndTrailingLineFeeds)
{
    Font font;
    Fill(font);
    EXPECT_EQ(font.CountLines("", 1000), 0u);
    EXPECT_EQ(font.CountLines(nullptr, 1000), 0u);
    EXPECT_EQ(font.CountLines("a", 1000), 1u);
    // A text ending right after a line feed has no empty last line...
    EXPECT_EQ(font.CountLines("a\n", 1000), 1u);
    EXPECT_EQ(font.CountLines("\n", 1000), 1u);
    // ...but an empty line in the middle counts.
    EXPECT_EQ(font.CountLines("a\n\n", 1000), 2u);
    EXPECT_EQ(font.CountLines("a\n\nb", 1000), 3u);
}

TEST(FontWrap, BytesAboveTheAsciiRangeIndexTheTablesUnsigned)
{
    Font font;
    Fill(font);
    font.advance[0xE9] = 30;
    EXPECT_EQ(font.GetTextWidth("\xE9"), 30);
    EXPECT_EQ(font.CountLines("\xE9"
                              "a",
                              20),
              2u);
}

TEST(FontResource, IsTypeThreeAndStartsEmpty)
{
    Font font;
    EXPECT_EQ(font.GetType(), 3);
    EXPECT_EQ(font.texture, nullptr);
    EXPECT_EQ(font.referenceCount, 1);
    EXPECT_EQ(font.element, nullptr);
}
