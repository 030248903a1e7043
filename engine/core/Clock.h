#pragma once
// Eight stopwatch slots on the high-resolution counter. Slot 0 belongs to the
// worker thread, slot 1 to the frame timer, slot 2 to the game's mode clock.

constexpr int CLOCK_SLOTS = 8;

// Seconds since the previous call on the same slot; restarts the slot. The
// first call on a slot returns the counter's whole value and is ignored.
double ElapsedSeconds(int slot);
