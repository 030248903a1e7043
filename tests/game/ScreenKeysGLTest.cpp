// The keys and clicks of the game's screens, as the input handlers hand them
// to Game::OnKeyDown and Game::OnKeyUp, one row each: the screen, the table
// on show (during a game, the score) and full screen; the codes pressed and
// released; the screen, table and full screen they must leave, with the log
// line of a switch. A row that ends in the menu then clicks "Show Score",
// which must open the table the row left. A window is needed for full
// screen; the menu is the game's own.
#include "engine/graphic/gui/TextField.h"
#include "game/Board.h"
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

struct Point
{
    float x, y;
};
// The centres of the menu's buttons, and a place off them and off the field.
const Point SIMPLE = {0.0f, 0.56f}, SUCCEEDING = {0.0f, 0.36f}, ARCADE = {0.0f, 0.16f}, TETRIS = {0.0f, -0.04f},
            SHOW_SCORE = {0.0f, -0.34f}, CENTRE = {0.0f, 0.0f}, ASIDE = {0.9f, 0.9f};

struct Row
{
    const char* what;
    int state, table;
    bool fullScreen;
    Point pointer;
    std::vector<int> codes; // each pressed and released; a negative one only pressed
    int endState, endTable;
    bool endFullScreen;
    const char* name = nullptr; // the pending entry's name after the row
};

const Row ROWS[] = {
    {"Left from the first table", STATE_SCORES, 0, false, ASIDE, {CODE_LEFT}, STATE_SCORES, 3, false},
    {"Left from the fourth", STATE_SCORES, 3, false, ASIDE, {CODE_LEFT}, STATE_SCORES, 2, false},
    {"Right from the fourth", STATE_SCORES, 3, false, ASIDE, {CODE_RIGHT}, STATE_SCORES, 0, false},
    {"Right twice from the second", STATE_SCORES, 1, false, ASIDE, {CODE_RIGHT, CODE_RIGHT}, STATE_SCORES, 3, false},
    {"an arrow held down", STATE_SCORES, 0, false, ASIDE, {-CODE_LEFT}, STATE_SCORES, 0, false},
    {"Left from the first, then Backspace", STATE_SCORES, 0, false, ASIDE, {CODE_LEFT, CODE_BACKSPACE}, STATE_MENU, 3,
     false},
    {"Esc, windowed", STATE_SCORES, 2, false, ASIDE, {CODE_ESCAPE}, STATE_MENU, 2, false},
    {"Esc in full screen", STATE_SCORES, 1, true, ASIDE, {CODE_ESCAPE}, STATE_MENU, 1, false},
    {"Esc in full screen, held down", STATE_SCORES, 1, true, ASIDE, {-CODE_ESCAPE}, STATE_SCORES, 1, false},
    {"the left button", STATE_SCORES, 3, false, ASIDE, {CODE_MOUSE_LEFT}, STATE_MENU, 3, false},
    {"the right button", STATE_SCORES, 1, false, ASIDE, {CODE_MOUSE_RIGHT}, STATE_MENU, 1, false},
    {"F11 and Return", STATE_SCORES, 2, false, ASIDE, {CODE_F11, CODE_RETURN}, STATE_SCORES, 2, true},
    {"a press on Show Score", STATE_MENU, 2, false, SHOW_SCORE, {-CODE_MOUSE_LEFT}, STATE_MENU, 2, false},
    {"a click on Show Score", STATE_MENU, 2, false, SHOW_SCORE, {CODE_MOUSE_LEFT}, STATE_SCORES, 2, false},
    {"a click on Show Score after a game", STATE_MENU, 640, false, SHOW_SCORE, {CODE_MOUSE_LEFT}, STATE_SCORES, 0,
     false},
    {"a click on Simple", STATE_MENU, 3, false, SIMPLE, {CODE_MOUSE_LEFT}, STATE_SIMPLE, 0, false},
    {"a click on Succeeding", STATE_MENU, 3, false, SUCCEEDING, {CODE_MOUSE_LEFT}, STATE_SUCCEEDING, 0, false},
    {"a click on Arcade", STATE_MENU, 3, false, ARCADE, {CODE_MOUSE_LEFT}, STATE_ARCADE, 0, false},
    {"a click on Tetris", STATE_MENU, 3, false, TETRIS, {CODE_MOUSE_LEFT}, STATE_TETRIS, 0, false},
    {"a click beside the buttons", STATE_MENU, 1, false, ASIDE, {CODE_MOUSE_LEFT}, STATE_MENU, 1, false},
    {"Esc and F11 in the menu", STATE_MENU, 1, false, ASIDE, {CODE_ESCAPE, CODE_F11}, STATE_MENU, 1, true},
    // A game of one colour: the left button takes all 176 blocks.
    {"the left button on the board", STATE_SIMPLE, 0, false, CENTRE, {CODE_MOUSE_LEFT}, STATE_SIMPLE, 176 * 176,
     false},
    {"keys and the right button in a game", STATE_SIMPLE, 0, false, CENTRE,
     {CODE_ESCAPE, CODE_BACKSPACE, CODE_LEFT, CODE_RIGHT, CODE_RETURN, CODE_MOUSE_RIGHT}, STATE_SIMPLE, 0, false},
    {"Esc in full screen in a game", STATE_TETRIS, 0, true, CENTRE, {CODE_ESCAPE}, STATE_TETRIS, 0, false},
    // After an Arcade game (table 1) with a new entry: the keys go to the name.
    {"keys at the end of a game", STATE_ENTER_NAME, 1, false, ASIDE,
     {'a', 'b', CODE_ESCAPE, CODE_LEFT, CODE_RIGHT, CODE_BACKSPACE, 'c'}, STATE_ENTER_NAME, 1, false},
    {"F11 and a name", STATE_ENTER_NAME, 1, true, ASIDE, {CODE_F11, 'x', CODE_RETURN}, STATE_SCORES, 1, false, "x"},
};

class ScreenKeys : public GameFixture
{
protected:
    static void SetUpTestSuite()
    {
        BuildScreens();
    }
    static void TearDownTestSuite()
    {
        DestroyScreens();
        // Back to the window the other tests draw in.
        for (int i = 0; i < 1000 && (glutGet(GLUT_WINDOW_WIDTH) != 960 || glutGet(GLUT_WINDOW_HEIGHT) != 600); ++i)
        {
            glutMainLoopEvent();
            usleep(10000);
        }
        Window::OnReshape(960, 600);
    }

    static void Send(int code)
    {
        if (code >= 0)
        {
            OnKeyDown(code);
            OnKeyUp(code);
        }
        else
            OnKeyDown(-code);
    }
    static void PointAt(Point p)
    {
        Input::mouseX = p.x;
        Input::mouseY = p.y;
        OnPointerMove(0.0f, 0.0f);
    }
};
} // namespace

TEST_F(ScreenKeys, EachScreenLeavesTheStateItsInputAsksFor)
{
    ASSERT_NE(menuFrame, nullptr);
    ASSERT_NE(nameField, nullptr);
    for (const Row& row : ROWS)
    {
        SCOPED_TRACE(row.what);
        Reset();
        KyE::Graphic::GUI::SetFocus(nullptr);
        if (row.state >= STATE_SIMPLE)
        {
            board = Board::Create(row.state == STATE_TETRIS ? 18 : 11, 5);
            ASSERT_NE(board, nullptr);
            for (int y = 0; y < board->height; ++y)
                for (int x = 0; x < 16; ++x)
                    board->SetCell(x, y, 0);
        }
        else if (row.state == STATE_ENTER_NAME)
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
        const bool entered = !row.fullScreen && row.endFullScreen, left = row.fullScreen && !row.endFullScreen;
        EXPECT_EQ(log.find("Enter full screen mode.") != std::string::npos, entered) << log;
        EXPECT_EQ(log.find("Leave full screen mode.") != std::string::npos, left) << log;
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
}
