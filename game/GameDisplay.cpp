#include "game/Game.h"

#include "engine/core/RenderState.h"
#include <GL/glew.h>

namespace Game
{
void Display()
{
    RenderState::SetDepthWrite(true);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
} // namespace Game
