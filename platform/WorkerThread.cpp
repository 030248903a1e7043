#include "platform/WorkerThread.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>

namespace
{
std::thread* worker = nullptr;
} // namespace

bool KyWorker_Start(int (*turn)(), bool (*running)(), char* reason, size_t size)
{
    // std::thread reports a start the system refuses (no thread or memory
    // left) only by throwing; uncaught, that would end the process.
    try
    {
        worker = new std::thread([turn, running] {
            while (running())
            {
                const int delay = turn();
                if (delay > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            }
        });
    }
    catch (const std::exception& refusal)
    {
        worker = nullptr;
        std::snprintf(reason, size, "%s", refusal.what());
        return false;
    }
    return true;
}

void KyWorker_Join()
{
    if (worker == nullptr)
        return;
    if (worker->joinable())
        worker->join();
    delete worker;
    worker = nullptr;
}
