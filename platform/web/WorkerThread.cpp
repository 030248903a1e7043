#include "platform/WorkerThread.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>

namespace
{
int (*workerTurn)() = nullptr;
bool (*workerRunning)() = nullptr;
long pendingTurn = 0;

void Turn(void*)
{
    pendingTurn = 0;
    if (!workerRunning())
        return;
    const int delay = workerTurn();
    // Counted for the page, which can tell the step rate from it.
    EM_ASM({ Module.kySteps = (Module.kySteps || 0) + 1; });
    pendingTurn = emscripten_set_timeout(Turn, delay, nullptr);
}
} // namespace

bool KyWorker_Start(int (*turn)(), bool (*running)(), char*, size_t)
{
    workerTurn = turn;
    workerRunning = running;
    pendingTurn = emscripten_set_timeout(Turn, 0, nullptr);
    return true;
}

void KyWorker_Join()
{
    // A turn never runs while the main thread is in here: only the one
    // waiting for its timer is left to cancel.
    if (pendingTurn != 0)
        emscripten_clear_timeout(pendingTurn);
    pendingTurn = 0;
}
