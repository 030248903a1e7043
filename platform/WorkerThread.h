#pragma once
#include <cstddef>

// The worker: turn() runs over and over, apart from input and drawing, for as
// long as running() says so; each turn returns the milliseconds to wait
// before the next. On the desktop it has a thread of its own. A browser page
// has threads only when its host sends cross-origin isolation headers, which
// plain static hosts cannot, so there the turns run on the main thread from
// a timer of their own, between the frames.

// False when the system refuses the worker; its reason is then written to
// reason (at most size bytes, terminated).
bool KyWorker_Start(int (*turn)(), bool (*running)(), char* reason, size_t size);
// Waits for the turn in progress to finish and lets the worker go; running()
// must already answer false. Harmless when no worker runs.
void KyWorker_Join();
