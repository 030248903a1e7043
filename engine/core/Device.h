#pragma once
// The device: the one owner of the main window, the frame timer and the
// worker thread that runs the game's step at a fixed rate.

class Camera;

namespace Device
{
// The callbacks the application hands in; the engine knows nothing else of it.
struct Callbacks
{
    void (*onClose)(); // saves and frees the application's objects, once
    void (*display)(); // draws one frame; never swaps
    void (*step)();    // one update, on the worker thread
};

// Worker rate; 80 until the application sets its own. Read afresh each turn.
int GetUpdatesPerSecond();
void SetUpdatesPerSecond(int rate);

// When set, each frame updates this camera's transformation block and
// commits the uniform buffers. Main thread only.
extern Camera* activeCamera;

// Measuring hooks, never set by the game: a benchmark build of it records
// the thread CPU time of each frame and step through them. Set them before
// Init; the frame hooks run on the main thread, the step hooks on the worker.
struct Probes
{
    void (*frameStart)();   // first thing in each frame tick
    void (*frameSwapped)(); // right after the tick's buffer swap
    void (*stepStart)();
    void (*stepEnd)();
};
extern Probes probes;

// When the window or the OpenGL entry points cannot be had (logged as
// fatal), nothing else is set up and IsReady stays false: the application
// must not go on to use OpenGL, and the main loop must not be entered.
void Init(const Callbacks& callbacks);
bool IsReady();
void OnFrameTimer(int value);
// The worker's loop, in turns: whether it is to go on, and one step followed
// by the milliseconds left of its period.
bool WorkerRunning();
int WorkerTurn();
void ResetBindings();
// freeglut's close callback. Stops and joins the worker before the close
// handler frees what the step touches.
void Shutdown();

// After the context was lost and given back empty (platform/GraphicsContext.h
// calls it): makes every OpenGL object of the engine and of the registered
// resources anew, in the order of start-up: the default render state and
// the caches, the uniform blocks, the shader stages, the programs with the
// 2D effect's vertex array, then the textures and the fonts' atlases. Every
// object keeps its identity, so what the application holds stays valid; only
// OpenGL names change. Each failure is logged; the rest is made all the same.
void OnContextRestored();

// Starts the worker running step at the worker rate (Init does): a thread
// of its own on the desktop, a timer on the main thread in the browser.
// When the system refuses a thread, logs it and returns false: the step then
// never runs, and everything else goes on.
bool StartWorker(void (*step)());
// Stops the worker thread and waits for its step to finish; safe to call
// more than once and when no worker runs.
void StopWorker();

// Whole milliseconds to wait before the next frame or step: the period
// minus the work already spent, never below 0.
int RemainingMilliseconds(int periodMs, double workSeconds);
} // namespace Device
