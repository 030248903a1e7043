#pragma once

// Whether the OpenGL context can be taken away while the program runs. A
// desktop context lasts as long as its window. A browser drops a page's WebGL
// context when the system runs short of graphics memory or the page goes to
// the background, and may give it back later, empty: every object gone and
// every state at OpenGL's defaults.

// Where a context can be lost, asks for it to be given back, and has
// restored called, on the main thread, once it is back and before anything
// is drawn into it; nothing is drawn while it is lost. Elsewhere it does
// nothing and restored is never called.
void KyGraphics_OnContextRestored(void (*restored)());
