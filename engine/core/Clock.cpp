#include "engine/core/Clock.h"

#include "platform/PerformanceCounter.h"
#include <cstdint>

namespace
{
uint64_t slots[CLOCK_SLOTS];
}

double ElapsedSeconds(int slot)
{
    uint64_t frequency = QueryPerformanceFrequency();
    uint64_t old = slots[slot];
    uint64_t now = QueryPerformanceCounter();
    slots[slot] = now;
    return static_cast<double>(now - old) / static_cast<double>(frequency);
}
