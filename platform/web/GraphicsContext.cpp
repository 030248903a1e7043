#include "platform/GraphicsContext.h"

// The page side (glut.js): listens for the canvas's context loss and its
// restoration.
extern "C" void kyWindow_WatchContext(void (*restored)());

void KyGraphics_OnContextRestored(void (*restored)())
{
    kyWindow_WatchContext(restored);
}
