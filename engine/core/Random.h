#pragma once
#include <cstdint>

// The process-wide generator: the 32-bit Mersenne Twister's recurrence and
// tempering with a seeding of its own. It has no lock; the game draws from it
// only under its own state lock.

void RandomSeed(uint32_t seed);
uint32_t RandomNext();
// A number from 0 to max, both included.
uint32_t RandomInt(uint32_t max);

// Replaces the state with 624 given words, as if they had just been seeded:
// the next draw twists first. Lets a published seeding be reproduced.
void RandomLoadState(const uint32_t words[624]);
