#include "game/Game.h"

#include "game/Board.h"
#include "game/ScoreTable.h"
#include "engine/core/Device.h"
#include "engine/core/Input.h"
#include "engine/core/Log.h"
#include <GL/freeglut.h>

namespace Game
{
namespace
{
int CurrentState()
{
    StateLock lock(stateMutex);
    return gameState;
}
} // namespace

void Init()
{
    Device::Init(Device::Callbacks{OnClose, Display, Step});
    Device::SetUpdatesPerSecond(50);
    Input::onKeyDown = OnKeyDown;
    Input::onKeyUp = OnKeyUp;
    Input::onMouseMove = OnPointerMove;
    ScoreTable::LoadAll();
}

void ToggleFullScreen()
{
    fullScreen = !fullScreen;
    if (fullScreen)
    {
        LogInfo("Enter full screen mode.");
        glutFullScreen();
    }
    else
    {
        LogInfo("Leave full screen mode.");
        glutLeaveFullScreen();
    }
}

void OnKeyDown(int code)
{
    int state = CurrentState();
    if (state >= STATE_SIMPLE && state <= STATE_TETRIS && code == Input::CODE_MOUSE_LEFT)
    {
        Click();
        return;
    }
    if (code == Input::CODE_F11 || (code == Input::CODE_ESCAPE && fullScreen))
        ToggleFullScreen();
}

void OnKeyUp(int code)
{
    int state = CurrentState();
    if (state == STATE_SCORES)
    {
        StateLock lock(stateMutex);
        if (code == Input::CODE_ESCAPE)
        {
            if (!fullScreen)
                gameState = STATE_MENU;
        }
        else if (code == Input::CODE_MOUSE_RIGHT || code == Input::CODE_MOUSE_LEFT || code == Input::CODE_BACKSPACE)
            gameState = STATE_MENU;
        else if (code == Input::CODE_LEFT)
            score = (score - 1) & 3;
        else if (code == Input::CODE_RIGHT)
            score = (score + 1) & 3;
    }
}

void OnPointerMove(float, float)
{
}

void OnClose()
{
    ScoreTable::SaveAll();
    {
        StateLock lock(stateMutex);
        Board::Destroy(board);
        board = nullptr;
    }
}
} // namespace Game
