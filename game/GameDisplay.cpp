#include "game/Game.h"

#include "engine/core/RenderState.h"
#include "engine/graphic/gui/Frame.h"
#include <GL/glew.h>

namespace Game
{
void Display()
{
    RenderState::SetDepthWrite(true);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    int state;
    {
        StateLock lock(stateMutex);
        state = gameState;
    }
    // The GUI is drawn without the lock: its handlers may take it.
    if (state == STATE_MENU && menuFrame != nullptr)
        menuFrame->Draw();
    else if (state == STATE_ENTER_NAME && nameFrame != nullptr)
        nameFrame->Draw();
}
} // namespace Game
