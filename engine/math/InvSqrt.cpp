#include "engine/math/InvSqrt.h"

#include <cstdint>
#include <cstring>

float InvSqrt(float x)
{
    int32_t i;
    std::memcpy(&i, &x, sizeof i);
    i = 0x5F3759DF - (i >> 1);
    float y;
    std::memcpy(&y, &i, sizeof y);
    const float half = 0.5f * x;
    y = y * (1.5f - half * y * y);
    y = y * (1.5f - half * y * y);
    return y;
}
