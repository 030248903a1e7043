// The game as shipped, with the frame and step hooks set and a screen
// prepared for measuring. Usage:
//   tumblox_measured SCENE [FRAMES REPORT]
// SCENE: menu, scores, simple, succeeding, arcade or tetris (a full 16 x 18
// board that never drops). FRAMES 0 or absent: no hooks, runs until closed.
#include "bench/probe/FrameProbe.h"
#include "engine/core/Device.h"
#include "engine/core/Window.h"
#include "game/Board.h"
#include "game/Game.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace
{
constexpr int WARMUP_FRAMES = 50;
unsigned long drawCalls = 0;

void Display()
{
    const unsigned long before = drawCalls;
    Game::Display();
    FrameProbe::NoteDraws(static_cast<int>(drawCalls - before));
    FrameProbe::MarkDrawn();
}

void Close(int)
{
    // Closes as the window manager would: the close callback saves and frees.
    glutDestroyWindow(Window::windowId);
}

void Finish()
{
    FrameProbe::WriteReport();
    // Not from inside the frame tick, which still goes on to draw.
    glutTimerFunc(0, Close, 0);
}

// Every cell a block, none able to drop: the most the screen ever draws.
void FillTetrisBoard()
{
    Game::StateLock lock(Game::stateMutex);
    if (Game::board == nullptr)
        return;
    for (int i = 0; i < Game::board->width * Game::board->height; ++i)
        Game::board->cells[i] = static_cast<unsigned char>((i * 7 + i / 16) % 6);
    Game::dropProgress = -1e30f;
}

bool SetUp(const char* scene)
{
    if (strcmp(scene, "menu") == 0)
        return true;
    if (strcmp(scene, "scores") == 0)
        return Game::ShowScores();
    if (strcmp(scene, "simple") == 0)
        return Game::StartSimple();
    if (strcmp(scene, "succeeding") == 0)
        return Game::StartSucceeding();
    if (strcmp(scene, "arcade") == 0)
        return Game::StartArcade();
    if (strcmp(scene, "tetris") == 0)
    {
        Game::StartTetris();
        FillTetrisBoard();
        return true;
    }
    fprintf(stderr, "Error: [tumblox_measured] unknown scene '%s'.\n", scene);
    return false;
}
} // namespace

// Every draw of the engine and the game is a glDrawArrays; this build puts
// itself in front of the driver's to count them.
extern "C" void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    using DrawArrays = void (*)(GLenum, GLint, GLsizei);
    static DrawArrays next = reinterpret_cast<DrawArrays>(dlsym(RTLD_NEXT, "glDrawArrays"));
    ++drawCalls;
    if (next != nullptr)
        next(mode, first, count);
}

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const char* scene = argc > 1 ? argv[1] : "menu";
    const int frames = argc > 2 ? atoi(argv[2]) : 0;
    const char* report = argc > 3 ? argv[3] : nullptr;
    if (frames > 0 && report == nullptr)
    {
        fprintf(stderr, "Error: [tumblox_measured] FRAMES needs a REPORT path.\n");
        return 2;
    }
    if (frames > 0)
    {
        FrameProbe::Configure(WARMUP_FRAMES, frames, report, Finish);
        Device::probes = {FrameProbe::FrameStart, FrameProbe::FrameSwapped, FrameProbe::StepStart, FrameProbe::StepEnd};
    }
    Game::Init();
    if (!Device::IsReady())
        return 1;
    if (frames > 0)
        glutDisplayFunc(Display);
    if (!SetUp(scene))
        return 2;
    glutTimerFunc(1, Device::OnFrameTimer, 0);
    glutMainLoop();
    Device::Shutdown();
    return 0;
}
