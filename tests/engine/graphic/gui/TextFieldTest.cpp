// The text field's editing table, input modes, growth, line navigation,
// mouse placement and scrolling, without drawing.
#include "engine/core/Input.h"
#include "engine/core/Window.h"
#include "engine/graphic/Font.h"
#include "engine/graphic/gui/TextField.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <string>

using namespace KyE::Graphic::GUI;
using KyE::Graphic::Font;

namespace
{
class TextFieldLogic : public testing::Test
{
protected:
    void SetUp() override
    {
        savedWidth = Window::width;
        savedHeight = Window::height;
        savedAspect = Window::aspect;
        savedInvWidth = Window::invWidth;
        savedInvHeight = Window::invHeight;
        Window::width = 1000;
        Window::height = 500;
        Window::aspect = 2.0f;
        Window::invWidth = 0.001f;
        Window::invHeight = 0.002f;
        memset(Input::keyState, 0, sizeof(Input::keyState));

        font.lineHeight = 10;
        for (int i = 0; i < 256; ++i)
            font.advance[i] = 10;
        field.font = &font;
        field.Clear();
        field.x = -0.5f;
        field.y = 0.0f;
        field.width = 1.0f;
        field.height = 0.2f;
        // 10 font pixels = 10 * 0.1 * 2 / (10 * 2) = 0.1 across.
        field.textSize = 0.1f;
    }
    void TearDown() override
    {
        Window::width = savedWidth;
        Window::height = savedHeight;
        Window::aspect = savedAspect;
        Window::invWidth = savedInvWidth;
        Window::invHeight = savedInvHeight;
        memset(Input::keyState, 0, sizeof(Input::keyState));
        focusedElement = nullptr;
    }

    void Type(const char* text)
    {
        for (const char* p = text; *p; ++p)
            Key(static_cast<unsigned char>(*p));
    }
    int Key(int code) { return TextField::OnKeyDown(&field, code); }
    std::string Text() const { return field.buffer; }

    // The invariant every operation restores.
    void ExpectLinesConsistent() const
    {
        uint32_t line = 0, start = 0, count = 1;
        for (uint32_t i = 0; field.buffer[i]; ++i)
            if (field.buffer[i] == '\n')
            {
                ++count;
                if (i < field.cursor)
                {
                    ++line;
                    start = i + 1;
                }
            }
        uint32_t len = 0;
        while (field.buffer[start + len] && field.buffer[start + len] != '\n')
            ++len;
        EXPECT_EQ(field.cursorLine, line);
        EXPECT_EQ(field.lineStart, start);
        EXPECT_EQ(field.lineCount, count);
        EXPECT_EQ(field.lineLength, len);
        EXPECT_EQ(field.length, static_cast<int32_t>(strlen(field.buffer) + 1));
    }

    Font font;
    TextField field{nullptr};
    int savedWidth = 0, savedHeight = 0;
    float savedAspect = 0, savedInvWidth = 0, savedInvHeight = 0;
};
} // namespace

TEST_F(TextFieldLogic, ClearedFieldIsEmptyWithNineBytes)
{
    EXPECT_EQ(field.capacity, 9);
    EXPECT_EQ(field.length, 1);
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(field.cursor, 0u);
    EXPECT_EQ(field.lineCount, 1u);
    Type("abc");
    field.scrollX = 3.0f;
    field.Clear();
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(field.capacity, 9);
    EXPECT_EQ(field.scrollX, 0.0f);
}

TEST_F(TextFieldLogic, TheEighthCharacterGrowsTheBufferTo17)
{
    Type("1234567");
    EXPECT_EQ(field.length, 8);
    EXPECT_EQ(field.capacity, 9);
    Type("8");
    EXPECT_EQ(field.length, 9);
    EXPECT_EQ(field.capacity, 17);
    Type("abcdefgh");
    EXPECT_EQ(field.length, 17);
    EXPECT_EQ(field.capacity, 25);
    EXPECT_EQ(Text(), "12345678abcdefgh");
}

TEST_F(TextFieldLogic, InsertsAtTheCursorAndMovesPastIt)
{
    Type("ac");
    Key(Input::CODE_LEFT);
    Type("b");
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(field.cursor, 2u);
    // A zero byte inserts nothing; a special key has no character.
    Key(0);
    Key(Input::CODE_F11);
    EXPECT_EQ(Text(), "abc");
    // Bytes above 127 are characters too.
    Key(0xE9);
    EXPECT_EQ(Text(), "ab\xE9"
                      "c");
    ExpectLinesConsistent();
}

TEST_F(TextFieldLogic, LeftAndRightStopAtTheEnds)
{
    Type("ab");
    Key(Input::CODE_RIGHT);
    EXPECT_EQ(field.cursor, 2u);
    Key(Input::CODE_LEFT);
    Key(Input::CODE_LEFT);
    Key(Input::CODE_LEFT);
    EXPECT_EQ(field.cursor, 0u);
    Key(Input::CODE_RIGHT);
    EXPECT_EQ(field.cursor, 1u);
}

TEST_F(TextFieldLogic, BackspaceAndDeleteAtTheEdgesChangeNothing)
{
    Type("abc");
    EXPECT_EQ(Key(Input::CODE_DELETE), 1);
    EXPECT_EQ(Text(), "abc");
    Key(Input::CODE_LEFT);
    Key(Input::CODE_BACKSPACE);
    EXPECT_EQ(Text(), "ac");
    EXPECT_EQ(field.cursor, 1u);
    Key(Input::CODE_DELETE);
    EXPECT_EQ(Text(), "a");
    Key(Input::CODE_HOME);
    Key(Input::CODE_BACKSPACE);
    EXPECT_EQ(Text(), "a");
    EXPECT_EQ(field.cursor, 0u);
    Key(Input::CODE_DELETE);
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(field.length, 1);
}

TEST_F(TextFieldLogic, ReturnStartsANewLineAndRemovingItJoinsThem)
{
    Type("ab");
    Key(Input::CODE_RETURN);
    EXPECT_EQ(Text(), "ab\n");
    EXPECT_EQ(field.lineCount, 2u);
    EXPECT_EQ(field.cursorLine, 1u);
    EXPECT_EQ(field.lineStart, 3u);
    EXPECT_EQ(field.lineLength, 0u);
    Type("cd");
    ExpectLinesConsistent();
    Key(Input::CODE_HOME);
    Key(Input::CODE_BACKSPACE);
    EXPECT_EQ(Text(), "abcd");
    EXPECT_EQ(field.lineCount, 1u);
    EXPECT_EQ(field.cursor, 2u);
    ExpectLinesConsistent();
}

TEST_F(TextFieldLogic, HomeAndEndWithAndWithoutControl)
{
    Type("first\nsecond\nthird");
    Key(Input::CODE_UP);
    EXPECT_EQ(field.cursorLine, 1u);
    Key(Input::CODE_HOME);
    EXPECT_EQ(field.cursor, 6u);
    Key(Input::CODE_END);
    EXPECT_EQ(field.cursor, 12u);
    Input::keyState[Input::CODE_CTRL_L] = 1;
    Key(Input::CODE_END);
    EXPECT_EQ(field.cursor, 18u);
    EXPECT_EQ(field.cursorLine, 2u);
    Key(Input::CODE_HOME);
    EXPECT_EQ(field.cursor, 0u);
    EXPECT_EQ(field.cursorLine, 0u);
    ExpectLinesConsistent();
}

TEST_F(TextFieldLogic, UpAndDownKeepTheColumnWithinTheLine)
{
    Type("abcdef\nab\nabcdefgh");
    // Cursor at column 8 of line 2; line 1 is only 2 long.
    Key(Input::CODE_UP);
    EXPECT_EQ(field.cursor, 9u);
    EXPECT_EQ(field.cursorLine, 1u);
    Key(Input::CODE_UP);
    EXPECT_EQ(field.cursor, 2u);
    Key(Input::CODE_UP);
    EXPECT_EQ(field.cursor, 2u);
    Key(Input::CODE_END);
    Key(Input::CODE_DOWN);
    EXPECT_EQ(field.cursor, 9u);
    Key(Input::CODE_HOME);
    Key(Input::CODE_DOWN);
    EXPECT_EQ(field.cursor, 10u);
    Key(Input::CODE_DOWN);
    EXPECT_EQ(field.cursor, 10u);
    ExpectLinesConsistent();
    // Empty lines in between.
    field.Clear();
    Type("abc\n\n\nxy");
    Key(Input::CODE_UP);
    EXPECT_EQ(field.cursor, 5u);
    // The column is the one the cursor has now: 0 on an empty line.
    Key(Input::CODE_UP);
    EXPECT_EQ(field.cursor, 4u);
    Key(Input::CODE_UP);
    EXPECT_EQ(field.cursor, 0u);
    ExpectLinesConsistent();
}

TEST_F(TextFieldLogic, EditingKeysAreTakenInEveryMode)
{
    const int keys[] = {355, 356, 357, 358, 361, 362, 8, 127, 512, 513, 514};
    for (uint32_t mode = 0; mode < 4; ++mode)
    {
        field.mode = mode;
        for (int key : keys)
            EXPECT_TRUE(field.AcceptsInput(key)) << "mode " << mode << " key " << key;
        EXPECT_FALSE(field.AcceptsInput(Input::CODE_RETURN));
        EXPECT_FALSE(field.AcceptsInput(Input::CODE_ESCAPE));
        EXPECT_FALSE(field.AcceptsInput(Input::CODE_F11));
        field.mode = mode | TextField::MODE_MULTI_LINE;
        EXPECT_TRUE(field.AcceptsInput(Input::CODE_RETURN));
    }
}

TEST_F(TextFieldLogic, IntegerModeTakesDigitsAndOneLeadingMinus)
{
    field.mode = TextField::MODE_INTEGER;
    EXPECT_TRUE(field.AcceptsInput('0'));
    EXPECT_TRUE(field.AcceptsInput('9'));
    EXPECT_TRUE(field.AcceptsInput('-'));
    EXPECT_FALSE(field.AcceptsInput('.'));
    EXPECT_FALSE(field.AcceptsInput('a'));
    EXPECT_FALSE(field.AcceptsInput(' '));
    Type("12");
    EXPECT_FALSE(field.AcceptsInput('-'));
    Key(Input::CODE_HOME);
    EXPECT_TRUE(field.AcceptsInput('-'));
    Type("-");
    Key(Input::CODE_HOME);
    EXPECT_FALSE(field.AcceptsInput('-'));
}

TEST_F(TextFieldLogic, DecimalModeTakesOnePointAnywhere)
{
    field.mode = TextField::MODE_DECIMAL;
    EXPECT_TRUE(field.AcceptsInput('.'));
    EXPECT_TRUE(field.AcceptsInput('-'));
    EXPECT_TRUE(field.AcceptsInput('5'));
    EXPECT_FALSE(field.AcceptsInput('e'));
    Type("1.5");
    EXPECT_FALSE(field.AcceptsInput('.'));
    Key(Input::CODE_HOME);
    EXPECT_FALSE(field.AcceptsInput('.'));
    EXPECT_TRUE(field.AcceptsInput('-'));
}

TEST_F(TextFieldLogic, AlphanumericAndAnyModes)
{
    field.mode = TextField::MODE_ALPHANUMERIC;
    for (int c : {'a', 'z', 'A', 'Z', '0', '9', ' ', '-', '+', '.'})
        EXPECT_TRUE(field.AcceptsInput(c)) << char(c);
    for (int c : {int('!'), int('_'), int('/'), int('\t'), 0xE9, 31})
        EXPECT_FALSE(field.AcceptsInput(c)) << c;
    field.mode = TextField::MODE_ANY;
    EXPECT_TRUE(field.AcceptsInput(' '));
    EXPECT_TRUE(field.AcceptsInput('!'));
    EXPECT_TRUE(field.AcceptsInput(255));
    EXPECT_FALSE(field.AcceptsInput(31));
    EXPECT_FALSE(field.AcceptsInput(256));
}

TEST_F(TextFieldLogic, MouseGoesToTheNearestBoundaryTiesToTheLater)
{
    Type("abcd");
    // Boundaries at -0.5, -0.4, -0.3, -0.2, -0.1.
    Input::mouseY = 0.1f;
    Input::mouseX = -0.36f;
    Key(Input::CODE_MOUSE_LEFT);
    EXPECT_EQ(field.cursor, 1u);
    Input::mouseX = -0.34f;
    Key(Input::CODE_MOUSE_LEFT);
    EXPECT_EQ(field.cursor, 2u);
    Input::mouseX = -0.9f;
    Key(Input::CODE_MOUSE_LEFT);
    EXPECT_EQ(field.cursor, 0u);
    Input::mouseX = 0.45f;
    Key(Input::CODE_MOUSE_RIGHT);
    EXPECT_EQ(field.cursor, 4u);
}

TEST_F(TextFieldLogic, MouseTieGoesToTheLaterBoundary)
{
    // Exact binary fractions: 2 font pixels = 0.125 * 2 / (1 * 2) * 2 = 0.25.
    font.lineHeight = 1;
    for (int i = 0; i < 256; ++i)
        font.advance[i] = 2;
    field.textSize = 0.125f;
    field.x = 0.0f;
    field.height = 0.25f;
    Type("abc");
    Input::mouseY = 0.1f;
    Input::mouseX = 0.125f; // halfway between boundaries 0 and 1
    Key(Input::CODE_MOUSE_LEFT);
    EXPECT_EQ(field.cursor, 1u);
    Input::mouseX = 0.375f; // halfway between 1 and 2
    Key(Input::CODE_MOUSE_LEFT);
    EXPECT_EQ(field.cursor, 2u);
    Input::mouseX = 0.12f;
    Key(Input::CODE_MOUSE_LEFT);
    EXPECT_EQ(field.cursor, 0u);
    // Scrolled text: the boundaries move with it.
    field.scrollX = -0.25f;
    Input::mouseX = 0.125f;
    Key(Input::CODE_MOUSE_LEFT);
    EXPECT_EQ(field.cursor, 2u);
}

TEST_F(TextFieldLogic, MousePicksTheLineUnderThePointer)
{
    field.mode |= TextField::MODE_MULTI_LINE;
    // Lines 0.2 high, hanging down from the top at 0.2.
    Type("abcd\nab\nabc");
    Input::mouseX = 0.4f;
    Input::mouseY = 0.15f;
    Key(Input::CODE_MOUSE_LEFT);
    EXPECT_EQ(field.cursor, 4u);
    EXPECT_EQ(field.cursorLine, 0u);
    Input::mouseY = -0.05f;
    Key(Input::CODE_MOUSE_LEFT);
    EXPECT_EQ(field.cursor, 7u);
    EXPECT_EQ(field.cursorLine, 1u);
    Input::mouseY = -0.9f;
    Key(Input::CODE_MOUSE_LEFT);
    EXPECT_EQ(field.cursor, 11u);
    EXPECT_EQ(field.cursorLine, 2u);
    Input::mouseY = 0.9f;
    Input::mouseX = -0.42f;
    Key(Input::CODE_MOUSE_LEFT);
    EXPECT_EQ(field.cursor, 1u);
    ExpectLinesConsistent();
}

TEST_F(TextFieldLogic, ScrollingKeepsTheCursorFivePixelsInsideTheRightEdge)
{
    Type("abcdefghijkl"); // 1.2 wide in a box 1.0 wide
    field.UpdateScroll();
    const float px = 2.0f * Window::invWidth;
    EXPECT_NEAR(field.scrollX + field.CursorOffset(), field.width - 5.0f * px, 1e-5f);
    EXPECT_LT(field.scrollX, 0.0f);
    // Back at the start, the text scrolls back so the cursor is at the
    // left edge.
    Key(Input::CODE_HOME);
    field.UpdateScroll();
    EXPECT_NEAR(field.scrollX, 0.0f, 1e-6f);
    // A short text never scrolls.
    field.Clear();
    Type("ab");
    field.UpdateScroll();
    EXPECT_EQ(field.scrollX, 0.0f);
    EXPECT_EQ(field.scrollY, 0.0f);
}

TEST_F(TextFieldLogic, ScrollingFollowsTheCursorDownAndUp)
{
    field.mode |= TextField::MODE_MULTI_LINE;
    field.height = 0.4f; // two lines of 0.2
    Type("a\nb\nc\nd");
    field.UpdateScroll();
    // The fourth line's top sits one line above the bottom.
    EXPECT_NEAR(field.scrollY, -0.4f, 1e-5f);
    Input::keyState[Input::CODE_CTRL_L] = 1;
    Key(Input::CODE_HOME);
    field.UpdateScroll();
    EXPECT_NEAR(field.scrollY, 0.0f, 1e-6f);
}

TEST_F(TextFieldLogic, SetupGivesTheGameFieldItsLook)
{
    TextField other(nullptr);
    EXPECT_EQ(other.buffer, nullptr);
    EXPECT_EQ(other.GetType(), 3);
    // No buffer yet: keys are harmless.
    EXPECT_EQ(TextField::OnKeyDown(&other, 'a'), 1);
    EXPECT_EQ(TextField::OnKeyDown(&other, Input::CODE_BACKSPACE), 1);
}
