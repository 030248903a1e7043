#include "game/Game.h"

namespace Game
{
std::mutex stateMutex;
int gameState = STATE_MENU;
int score = 0;
float modeClock = 0.0f;
float dropProgress = 0.0f;
bool groupRemoved = false;
Board* board = nullptr;
bool fullScreen = false;
} // namespace Game
