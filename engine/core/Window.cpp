#include "engine/core/Window.h"

#include "engine/core/Device.h"
#include "engine/core/Log.h"
#include "platform/HeapTuning.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

namespace Window
{
int width = 800;
int height = 600;
float aspect = 1.3333333f;
float invWidth = 0.00125f;
float invHeight = 0.0016666667f;
int windowId = 0;
bool glReady = false;
void (*onClose)() = nullptr;

void Init(void (*closeHandler)(), void (*display)())
{
    // Before the context exists, so the renderer's first frames already
    // reuse their memory.
    KyHeap_KeepFrameMemory();
    int argc = 0;
    glutInit(&argc, nullptr);
    glutInitContextVersion(3, 3);
    glutInitContextFlags(GLUT_FORWARD_COMPATIBLE);
    glutInitContextProfile(GLUT_CORE_PROFILE);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE);
    glutInitWindowSize(960, 600);
    windowId = glutCreateWindow("Tumblox");
    if (windowId < 1)
        LogFatal("[Window::Init] Could not create a new rendering window.");
    glutSetCursor(GLUT_CURSOR_LEFT_ARROW);

    glewExperimental = GL_TRUE;
    GLenum glewResult = glewInit();
    if (glewResult != GLEW_OK)
        LogFatal("%s", reinterpret_cast<const char*>(glewGetErrorString(glewResult)));
    else
    {
        glGetError(); // GLEW's probing leaves an error behind in a core context
        glReady = windowId >= 1;
    }

    const GLubyte* version = glGetString(GL_VERSION);
    LogInfo("OpenGL Max Version: %s\n", version ? reinterpret_cast<const char*>(version) : "unknown");

    SetDefaultRenderState();

    glutDisplayFunc(display);
    glutCloseFunc(Device::Shutdown);
    onClose = closeHandler;
}

void SetDefaultRenderState()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    LogGLError("[Window::Init] Could not set OpenGL depth testing options");
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    LogGLError("[Window::Init] Could not set OpenGL culling options");
}

void OnReshape(int w, int h)
{
    glViewport(0, 0, w, h);
    if (w <= 0 || h <= 0)
        return;
    width = w;
    height = h;
    aspect = static_cast<float>(w) / static_cast<float>(h);
    invWidth = 1.0f / static_cast<float>(w);
    invHeight = 1.0f / static_cast<float>(h);
}
} // namespace Window
