#include "game/Game.h"

namespace Game
{
void Step()
{
    StateLock lock(stateMutex);
}
} // namespace Game
