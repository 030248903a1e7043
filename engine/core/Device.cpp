#include "engine/core/Device.h"

#include "engine/core/BindingCache.h"
#include "engine/core/Clock.h"
#include "engine/core/Input.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "engine/core/RenderState.h"
#include "engine/core/Window.h"
#include "engine/graphic/Draw2D.h"
#include "engine/graphic/Font.h"
#include "engine/math/Camera.h"
#include "engine/resources/Resource.h"
#include "engine/resources/ResourceManager.h"
#include "engine/resources/ShaderReplacements.h"
#include "engine/resources/UniformManager.h"
#include "platform/CalendarTime.h"
#include "platform/GraphicsContext.h"
#include "platform/WorkerThread.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <atomic>

namespace Device
{
Camera* activeCamera = nullptr;
Probes probes = {nullptr, nullptr, nullptr, nullptr};

namespace
{
constexpr int FRAME_PERIOD_MS = 20;

std::atomic<int> updatesPerSecond{80};
void (*updateStep)() = nullptr;
// Cleared at shutdown; the worker finishes the step it is in and returns.
std::atomic<bool> workerRunning{false};
// Set once the window is closing: a timer already queued must not draw into
// a window that is gone, and must not re-arm.
bool closing = false;

// The directives every shader source may use: the uniform block
// declarations, and a name line that the compiler sees as a comment.
const KyE::Graphic::Effect::ShaderReplacement uniformHeader = {UniformManager::declarations,
                                                               UniformManager::DECLARATIONS_LENGTH};
const KyE::Graphic::Effect::ShaderReplacement nameDirective = {"//", 2};
} // namespace

int GetUpdatesPerSecond()
{
    return updatesPerSecond.load(std::memory_order_relaxed);
}

void SetUpdatesPerSecond(int rate)
{
    if (rate > 0)
        updatesPerSecond.store(rate, std::memory_order_relaxed);
}

int RemainingMilliseconds(int periodMs, double workSeconds)
{
    int workMs = static_cast<int>(workSeconds * 1000.0);
    int delay = periodMs - workMs;
    return delay > 0 ? delay : 0;
}

void Init(const Callbacks& callbacks)
{
    Window::Init(callbacks.onClose, callbacks.display);
    if (!Window::glReady)
        return;
    KyE::Graphic::Effect::ShaderReplacements::Add("#header uniforms", &uniformHeader);
    KyE::Graphic::Effect::ShaderReplacements::Add("#name", &nameDirective);
    UniformManager::Init();
    RandomSeed(static_cast<uint32_t>(static_cast<uint64_t>(CalendarTimeNow())));
    glutReshapeFunc(Window::OnReshape);
    Draw2D::Init();
    glutKeyboardFunc(Input::OnKeyboard);
    glutSpecialFunc(Input::OnSpecial);
    glutKeyboardUpFunc(Input::OnKeyboardUp);
    glutSpecialUpFunc(Input::OnSpecialUp);
    glutMouseFunc(Input::OnMouse);
    glutMotionFunc(Input::OnMotion);
    glutPassiveMotionFunc(Input::OnMotion);
    KyGraphics_OnContextRestored(OnContextRestored);

    StartWorker(callbacks.step);
}

bool StartWorker(void (*step)())
{
    updateStep = step;
    workerRunning.store(true);
    char refusal[256];
    if (!KyWorker_Start(WorkerTurn, WorkerRunning, refusal, sizeof refusal))
    {
        workerRunning.store(false);
        LogError("[Device::Init] Could not start the worker thread (%s): the game will not advance.", refusal);
        return false;
    }
    return true;
}

void OnFrameTimer(int)
{
    if (closing || glutGetWindow() == 0)
        return;
    if (probes.frameStart != nullptr)
        probes.frameStart();
    ElapsedSeconds(1);
    if (activeCamera != nullptr)
    {
        activeCamera->UpdateTransformation();
        UniformManager::CommitChanges();
    }
    glutPostRedisplay();
    ResetBindings();
    glutSwapBuffers();
    if (probes.frameSwapped != nullptr)
        probes.frameSwapped();
    int delay = RemainingMilliseconds(FRAME_PERIOD_MS, ElapsedSeconds(1));
    glutTimerFunc(static_cast<unsigned int>(delay), OnFrameTimer, 0);
}

bool WorkerRunning()
{
    return updateStep != nullptr && workerRunning.load();
}

int WorkerTurn()
{
    ElapsedSeconds(0);
    if (probes.stepStart != nullptr)
        probes.stepStart();
    updateStep();
    if (probes.stepEnd != nullptr)
        probes.stepEnd();
    int period = 1000 / GetUpdatesPerSecond();
    return RemainingMilliseconds(period, ElapsedSeconds(0));
}

void ResetBindings()
{
    BindingCache::UseUnit0();
    BindingCache::UnbindTexture(GL_TEXTURE_2D);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    BindingCache::uniformBuffer = 0;
    glUseProgram(0);
}

void OnContextRestored()
{
    if (closing || !Window::glReady)
        return;
    using KyE::ResourceManager::Resource;
    LogInfo("[Device::OnContextRestored] The OpenGL context was lost and is back: making its objects anew.");
    // What the loss left pending belongs to none of the calls below.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i)
    {
    }
    Window::SetDefaultRenderState();
    glViewport(0, 0, Window::width, Window::height);
    BindingCache::Forget();
    RenderState::Apply();

    int failures = 0;
    const int blocks = UniformManager::Recreate();
    const int stages = KyE::ResourceManager::RecreateAll(Resource::TYPE_SHADER_STAGE, failures);
    const int programs = Draw2D::Recreate(failures) + KyE::Graphic::RecreateTextProgram(failures) +
                         KyE::Graphic::Effect::RecreateEngineShaders(failures);
    const int textures = KyE::ResourceManager::RecreateAll(Resource::TYPE_TEXTURE, failures);
    const int fonts = KyE::ResourceManager::RecreateAll(Resource::TYPE_FONT, failures);
    ResetBindings();
    LogInfo("[Device::OnContextRestored] Made anew: uniform blocks %d, shader stages %d, programs %d, textures %d, "
            "fonts %d.",
            blocks, stages, programs, textures, fonts);
    if (failures > 0)
        LogError("[Device::OnContextRestored] Objects that could not be made anew: %d; what they draw stays blank.",
                 failures);
}

void StopWorker()
{
    workerRunning.store(false);
    KyWorker_Join();
}

bool IsReady()
{
    return Window::glReady;
}

void Shutdown()
{
    if (closing || !Window::glReady)
        return;
    closing = true;
    activeCamera = nullptr;
    ResetBindings();
    StopWorker();
    if (Window::onClose)
        Window::onClose();
    Draw2D::Shutdown();
    KyE::Graphic::Effect::ReleaseEngineShaders();
    UniformManager::Release();
    KyE::Graphic::Effect::ShaderReplacements::Clear();
    // Whatever is still registered goes now, while its context exists; the
    // registry's static destructor then finds it empty.
    KyE::ResourceManager::ReleaseAll();
}
} // namespace Device
