// The keys and clicks of the game's screens through Game::OnKeyDown and
// OnKeyUp, a row each: from a screen, a table on show (in a game, the score)
// and full screen or not, the codes must leave a screen, a table and full
// screen, with the log line of a switch; a row ending in the menu then clicks
// "Show Score", which must open the table it left. Full screen needs a window.
#include "engine/graphic/gui/TextField.h"
#include "tests/game/GameFixture.h"

#include <GL/freeglut.h>
#include <string>
#include <unistd.h>
#include <vector>

double GameFixture::fakeStepSeconds = 0.02;

namespace
{
using namespace Game;
using namespace Input;

// Where the pointer is: the menu buttons' centres, or aside.
const float SIMPLE = 0.56f, SUCCEEDING = 0.36f, ARCADE = 0.16f, TETRIS = -0.04f, SHOW_SCORE = -0.34f, ASIDE = 0.9f;

struct Row
{
    const char* what;
    int state, table;
    bool fullScreen;
    float pointer;
    std::vector<int> codes; // each pressed and released; a negative one only pressed
    int endState, endTable;
    bool endFullScreen;
    const char* name = nullptr; // the new entry's name after the row
};

const Row ROWS[] = {
    {"Left from the first table", STATE_SCORES, 0, false, ASIDE, {CODE_LEFT}, STATE_SCORES, 3, false},
    {"Left from the fourth", STATE_SCORES, 3, false, ASIDE, {CODE_LEFT}, STATE_SCORES, 2, false},
    {"Right from the fourth", STATE_SCORES, 3, false, ASIDE, {CODE_RIGHT}, STATE_SCORES, 0, false},
    {"an arrow held down", STATE_SCORES, 0, false, ASIDE, {-CODE_LEFT}, STATE_SCORES, 0, false},
    {"Left, Backspace", STATE_SCORES, 0, false, ASIDE, {CODE_LEFT, CODE_BACKSPACE}, STATE_MENU, 3, false},
    {"Esc, windowed", STATE_SCORES, 2, false, ASIDE, {CODE_ESCAPE}, STATE_MENU, 2, false},
    {"Esc in full screen", STATE_SCORES, 1, true, ASIDE, {CODE_ESCAPE}, STATE_MENU, 1, false},
    {"Esc in full screen, held", STATE_SCORES, 1, true, ASIDE, {-CODE_ESCAPE}, STATE_SCORES, 1, false},
    {"the left button", STATE_SCORES, 3, false, ASIDE, {CODE_MOUSE_LEFT}, STATE_MENU, 3, false},
    {"the right button", STATE_SCORES, 1, false, ASIDE, {CODE_MOUSE_RIGHT}, STATE_MENU, 1, false},
    {"F11, Return", STATE_SCORES, 2, false, ASIDE, {CODE_F11, CODE_RETURN}, STATE_SCORES, 2, true},
    {"a press on Show Score", STATE_MENU, 2, false, SHOW_SCORE, {-CODE_MOUSE_LEFT}, STATE_MENU, 2, false},
    {"Show Score", STATE_MENU, 2, false, SHOW_SCORE, {CODE_MOUSE_LEFT}, STATE_SCORES, 2, false},
    {"Show Score after a game", STATE_MENU, 640, false, SHOW_SCORE, {CODE_MOUSE_LEFT}, STATE_SCORES, 0, false},
    {"Simple", STATE_MENU, 3, false, SIMPLE, {CODE_MOUSE_LEFT}, STATE_SIMPLE, 0, false},
    {"Succeeding", STATE_MENU, 3, false, SUCCEEDING, {CODE_MOUSE_LEFT}, STATE_SUCCEEDING, 0, false},
    {"Arcade", STATE_MENU, 3, false, ARCADE, {CODE_MOUSE_LEFT}, STATE_ARCADE, 0, false},
    {"Tetris", STATE_MENU, 3, false, TETRIS, {CODE_MOUSE_LEFT}, STATE_TETRIS, 0, false},
    {"a click aside", STATE_MENU, 1, false, ASIDE, {CODE_MOUSE_LEFT}, STATE_MENU, 1, false},
    {"Esc, F11 in the menu", STATE_MENU, 1, false, ASIDE, {CODE_ESCAPE, CODE_F11}, STATE_MENU, 1, true},
    // No key leaves a game (the left button is the board's: Game::Click).
    {"keys in a game",
     STATE_SIMPLE,
     0,
     false,
     ASIDE,
     {CODE_ESCAPE, CODE_BACKSPACE, CODE_LEFT, CODE_RIGHT, CODE_RETURN, CODE_MOUSE_RIGHT},
     STATE_SIMPLE,
     0,
     false},
    {"Esc in full screen in a game", STATE_TETRIS, 0, true, ASIDE, {CODE_ESCAPE}, STATE_TETRIS, 0, false},
    // An Arcade game (table 1) ended with a new entry: the keys go to its name.
    {"F11, a name",
     STATE_ENTER_NAME,
     1,
     true,
     ASIDE,
     {CODE_F11, 'x', 'y', CODE_BACKSPACE, CODE_LEFT, CODE_RETURN},
     STATE_SCORES,
     1,
     false,
     "x"},
};

void Send(int code)
{
    OnKeyDown(code < 0 ? -code : code);
    if (code >= 0)
        OnKeyUp(code);
}

void PointAt(float y)
{
    Input::mouseX = y == ASIDE ? ASIDE : 0.0f;
    Input::mouseY = y;
    OnPointerMove(0.0f, 0.0f);
}

using ScreenKeys = GameFixture;
} // namespace

TEST_F(ScreenKeys, EachScreenLeavesTheStateItsInputAsksFor)
{
    BuildScreens();
    ASSERT_NE(nameField, nullptr);
    for (const Row& row : ROWS)
    {
        SCOPED_TRACE(row.what);
        Reset();
        KyE::Graphic::GUI::SetFocus(nullptr);
        if (row.state == STATE_ENTER_NAME)
        {
            nameField->Clear();
            StateLock lock(stateMutex);
            ScoreTable::Insert(row.table, 50);
        }
        gameState = row.state;
        score = row.table;
        if (row.fullScreen)
            ToggleFullScreen();
        PointAt(row.pointer);
        testing::internal::CaptureStdout();
        for (int code : row.codes)
            Send(code);
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(gameState, row.endState);
        EXPECT_EQ(score, row.endTable);
        EXPECT_EQ(fullScreen, row.endFullScreen);
        EXPECT_EQ(log.find("Enter full screen mode.") != std::string::npos, row.endFullScreen > row.fullScreen);
        EXPECT_EQ(log.find("Leave full screen mode.") != std::string::npos, row.endFullScreen < row.fullScreen);
        if (row.name != nullptr)
        {
            EXPECT_STREQ(ScoreTable::tables[row.table].entries[0].name, row.name);
        }
        if (fullScreen)
            ToggleFullScreen();
        if (row.endState == STATE_MENU)
        {
            PointAt(SHOW_SCORE);
            Send(CODE_MOUSE_LEFT);
            EXPECT_EQ(gameState, STATE_SCORES) << "Show Score";
            EXPECT_EQ(score, row.endTable) << "the table Show Score opens";
        }
    }
    DestroyScreens();
    // Back to the window size the other tests draw at.
    for (int i = 0; i < 1000 && glutGet(GLUT_WINDOW_WIDTH) != 960; ++i)
    {
        glutMainLoopEvent();
        usleep(10000);
    }
    Window::OnReshape(960, 600);
}
