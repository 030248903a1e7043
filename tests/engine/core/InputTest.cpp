#include "engine/core/Input.h"
#include "engine/core/Window.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <vector>

namespace
{
std::vector<int> downs, ups;
std::vector<std::pair<float, float>> moves;

class InputTest : public testing::Test
{
protected:
    void SetUp() override
    {
        downs.clear();
        ups.clear();
        moves.clear();
        Input::onKeyDown = [](int code) { downs.push_back(code); };
        Input::onKeyUp = [](int code) { ups.push_back(code); };
        Input::onMouseMove = [](float dx, float dy) { moves.emplace_back(dx, dy); };
    }
    void TearDown() override
    {
        Input::onKeyDown = nullptr;
        Input::onKeyUp = nullptr;
        Input::onMouseMove = nullptr;
        Window::OnReshape(800, 600);
    }
};
} // namespace

TEST_F(InputTest, SpecialKeysMapPast255AndAreHeldUntilReleased)
{
    Input::OnSpecial(GLUT_KEY_LEFT, 0, 0);
    EXPECT_EQ(Input::keyState[355], 1);
    Input::OnSpecialUp(GLUT_KEY_LEFT, 0, 0);
    EXPECT_EQ(Input::keyState[355], 0);
    Input::OnSpecial(GLUT_KEY_F11, 0, 0);
    Input::OnSpecialUp(GLUT_KEY_F11, 0, 0);
    EXPECT_EQ(downs, (std::vector<int>{355, 266}));
    EXPECT_EQ(ups, (std::vector<int>{355, 266}));
}

TEST_F(InputTest, CharacterKeysUseTheUnsignedByte)
{
    Input::OnKeyboard(0xE4, 0, 0);
    EXPECT_EQ(Input::keyState[0xE4], 1);
    Input::OnKeyboardUp(0xE4, 0, 0);
    EXPECT_EQ(downs, std::vector<int>{0xE4});
    EXPECT_EQ(ups, std::vector<int>{0xE4});
}

TEST_F(InputTest, CodesBeyondTheSpaceAreIgnored)
{
    Input::OnSpecial(200, 0, 0); // 455
    Input::OnSpecialUp(200, 0, 0);
    EXPECT_TRUE(downs.empty());
    EXPECT_TRUE(ups.empty());
}

TEST_F(InputTest, MouseButtonsReachTheHooksOnly)
{
    Input::OnMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 5, 5);
    Input::OnMouse(GLUT_RIGHT_BUTTON, GLUT_UP, 5, 5);
    Input::OnMouse(3, GLUT_DOWN, 5, 5); // wheel
    Input::OnMouse(4, GLUT_UP, 5, 5);
    EXPECT_EQ(downs, std::vector<int>{514});
    EXPECT_EQ(ups, std::vector<int>{514});
    for (int code = 256; code < Input::KEY_CODES; ++code)
        EXPECT_EQ(Input::keyState[code], 0);
}

TEST_F(InputTest, ControlIsEitherControlKey)
{
    EXPECT_FALSE(Input::IsControlDown());
    Input::OnSpecial(GLUT_KEY_CTRL_R, 0, 0);
    EXPECT_TRUE(Input::IsControlDown());
    Input::OnSpecial(GLUT_KEY_CTRL_L, 0, 0);
    Input::OnSpecialUp(GLUT_KEY_CTRL_R, 0, 0);
    EXPECT_TRUE(Input::IsControlDown());
    Input::OnSpecialUp(GLUT_KEY_CTRL_L, 0, 0);
    EXPECT_FALSE(Input::IsControlDown());
}

TEST_F(InputTest, MotionInNormalisedCoordinatesWithDeltas)
{
    Window::OnReshape(800, 600);
    Input::mouseX = 0.0f;
    Input::mouseY = 0.0f;
    Input::OnMotion(0, 0);
    EXPECT_FLOAT_EQ(Input::mouseX, -1.0f);
    EXPECT_FLOAT_EQ(Input::mouseY, 1.0f);
    Input::OnMotion(800, 600);
    EXPECT_FLOAT_EQ(Input::mouseX, 1.0f);
    EXPECT_FLOAT_EQ(Input::mouseY, -1.0f);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_FLOAT_EQ(moves[0].first, -1.0f); // relative to the centre at start
    EXPECT_FLOAT_EQ(moves[0].second, 1.0f);
    EXPECT_FLOAT_EQ(moves[1].first, 2.0f);
    EXPECT_FLOAT_EQ(moves[1].second, -2.0f);
}

TEST_F(InputTest, ReshapeKeepsMetricsAndIgnoresZeroSizes)
{
    Window::OnReshape(960, 600);
    EXPECT_EQ(Window::width, 960);
    EXPECT_FLOAT_EQ(Window::aspect, 1.6f);
    EXPECT_FLOAT_EQ(Window::invWidth, 1.0f / 960.0f);
    EXPECT_FLOAT_EQ(Window::invHeight, 1.0f / 600.0f);
    Window::OnReshape(0, 600);
    Window::OnReshape(960, 0);
    EXPECT_EQ(Window::width, 960);
    EXPECT_EQ(Window::height, 600);
    EXPECT_FLOAT_EQ(Window::aspect, 1.6f);
    Input::OnMotion(480, 300); // still finite after a minimised window
    EXPECT_FLOAT_EQ(Input::mouseX, 0.0f);
    EXPECT_FLOAT_EQ(Input::mouseY, 0.0f);
}
