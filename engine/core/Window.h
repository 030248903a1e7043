#pragma once
// The main window: its creation and its metrics, kept by the reshape handler.

namespace Window
{
// The client area in pixels and its derived ratios.
extern int width;
extern int height;
extern float aspect;
extern float invWidth;
extern float invHeight;

// freeglut's identifier of the main window; below 1 when creation failed.
extern int windowId;
// Whether the OpenGL entry points were loaded: nothing may call OpenGL 3
// functions without them.
extern bool glReady;

// Creates the window and its OpenGL 3.3 context, sets the default render
// state and registers the display and close callbacks.
void Init(void (*onClose)(), void (*display)());
// The render state Init leaves behind: transparent black clear colour, depth
// test with GL_LESS, back faces culled. Also for a context given back empty.
void SetDefaultRenderState();

// A zero width or height (a minimised window) keeps the last good metrics,
// so nothing that divides by them ever sees a zero.
void OnReshape(int w, int h);

// The close handler handed to Init; the device calls it once at shutdown.
extern void (*onClose)();
} // namespace Window
