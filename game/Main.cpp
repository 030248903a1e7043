#include "engine/core/Device.h"
#include "game/Game.h"
#include <GL/freeglut.h>
#include <cstdio>

int main()
{
    // Each log line reaches a file or pipe as it is written, not at exit.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    Game::Init();
    if (!Device::IsReady())
        return 1;
    glutTimerFunc(1, Device::OnFrameTimer, 0);
    glutMainLoop();
    // The loop also ends through LogFatal with the window still open; close
    // down now, while everything the close handler touches still exists,
    // rather than from freeglut's exit handler after static destruction.
    // After a normal close this does nothing.
    Device::Shutdown();
    return 0;
}
