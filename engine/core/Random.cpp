#include "engine/core/Random.h"

namespace
{
constexpr int N = 624;
constexpr int M = 397;
constexpr uint32_t UPPER = 0x80000000u;
constexpr uint32_t LOWER = 0x7FFFFFFFu;
constexpr uint32_t TWIST[2] = {0u, 0x9908B0DFu};

uint32_t state[N];
unsigned int index = 0;

void Twist()
{
    int i = 0;
    for (; i < N - M; ++i)
    {
        uint32_t y = (state[i] & UPPER) | (state[i + 1] & LOWER);
        state[i] = state[i + M] ^ (y >> 1) ^ TWIST[y & 1u];
    }
    for (; i < N - 1; ++i)
    {
        uint32_t y = (state[i] & UPPER) | (state[i + 1] & LOWER);
        state[i] = state[i + M - N] ^ (y >> 1) ^ TWIST[y & 1u];
    }
    uint32_t y = (state[N - 1] & UPPER) | (state[0] & LOWER);
    state[N - 1] = state[M - 1] ^ (y >> 1) ^ TWIST[y & 1u];
    index = 0;
}
} // namespace

void RandomSeed(uint32_t seed)
{
    for (uint32_t i = 0; i < N; ++i)
    {
        if (i & 1u)
            state[i] = seed + 527u * i;
        else
            state[i] = (seed * 74111u + 2135u) * i;
    }
    Twist();
    index = N;
}

uint32_t RandomNext()
{
    if (index >= N)
        Twist();
    uint32_t y = state[index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

uint32_t RandomInt(uint32_t max)
{
    // The full range needs no reduction, and max + 1 would wrap to zero.
    if (max == 0xFFFFFFFFu)
        return RandomNext();
    return RandomNext() % (max + 1u);
}

void RandomLoadState(const uint32_t words[N])
{
    for (int i = 0; i < N; ++i)
        state[i] = words[i];
    index = N;
}
