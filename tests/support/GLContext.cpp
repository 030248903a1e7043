#include "tests/support/GLContext.h"

#include "engine/core/Window.h"
#include <GL/freeglut.h>

namespace TestGL
{
namespace
{
void NoDisplay()
{
}
void NoClose()
{
}
} // namespace

bool CreateContext()
{
    Window::Init(NoClose, NoDisplay);
    if (Window::windowId < 1)
        return false;
    // Let the window map and the first reshape arrive, as in the game.
    glutReshapeFunc(Window::OnReshape);
    for (int i = 0; i < 20; ++i)
        glutMainLoopEvent();
    Window::OnReshape(960, 600);
    return true;
}

void DestroyContext()
{
    if (Window::windowId > 0)
    {
        // freeglut destroys windows on its next event turn; without one it
        // would do so from its exit handler, running the close callback
        // (which empties the resource registry) after statics are gone.
        // Work still queued for the window goes first: zink, presenting
        // through a swapchain of its own, crashes at exit flushing it into
        // a window that is gone.
        glFinish();
        glutDestroyWindow(Window::windowId);
        glutMainLoopEvent();
    }
    Window::windowId = 0;
}

bool ReplaceContext()
{
    glFinish();
    const int old = Window::windowId;
    Window::windowId = glutCreateWindow("Tumblox");
    if (Window::windowId < 1)
        return false;
    glutDisplayFunc(NoDisplay);
    glutReshapeFunc(Window::OnReshape);
    glutSetWindow(old);
    glutCloseFunc(nullptr); // its close would shut the device down
    glutDestroyWindow(old);
    glutSetWindow(Window::windowId);
    for (int i = 0; i < 20; ++i)
        glutMainLoopEvent();
    return true;
}

std::vector<uint8_t> ReadPixels(int x, int y, int width, int height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

uint32_t PixelAt(int x, int y)
{
    std::vector<uint8_t> p = ReadPixels(x, y, 1, 1);
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
} // namespace TestGL
