#include "platform/PerformanceCounter.h"

#include <time.h>

uint64_t QueryPerformanceCounter()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000ull + static_cast<uint64_t>(now.tv_nsec);
}

uint64_t QueryPerformanceFrequency()
{
    return 1000000000ull;
}
