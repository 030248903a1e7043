#pragma once
#include <cstdint>

// The high-resolution counter behind the stopwatch clock: a monotonic count
// of nanoseconds, so its frequency is 1e9 ticks per second.
uint64_t QueryPerformanceCounter();
uint64_t QueryPerformanceFrequency();
