#include "engine/core/Device.h"
#include "game/Game.h"
#include <GL/freeglut.h>
#include <cstdio>

int main()
{
    // Each log line reaches a file or pipe as it is written, not at exit.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    Game::Init();
    glutTimerFunc(1, Device::OnFrameTimer, 0);
    glutMainLoop();
    return 0;
}
