#include "engine/math/InvSqrt.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

TEST(InvSqrt, KnownValuesInSinglePrecision)
{
    EXPECT_EQ(InvSqrt(4.0f), 0.49999782f);
    EXPECT_EQ(InvSqrt(1.0f), 0.99999565f);
}

TEST(InvSqrt, RelativeErrorStaysSmallOverAllNormalFloats)
{
    uint32_t first;
    uint32_t last;
    float lo = FLT_MIN;
    float hi = FLT_MAX;
    std::memcpy(&first, &lo, sizeof first);
    std::memcpy(&last, &hi, sizeof last);
    double worst = 0.0;
    // An odd stride walks through every exponent and many mantissas.
    for (uint64_t bits = first; bits <= last; bits += 101)
    {
        uint32_t pattern = static_cast<uint32_t>(bits);
        float x;
        std::memcpy(&x, &pattern, sizeof x);
        const double error = std::fabs(static_cast<double>(InvSqrt(x)) * std::sqrt(static_cast<double>(x)) - 1.0);
        if (error > worst)
            worst = error;
    }
    EXPECT_LT(worst, 5e-6);
    EXPECT_GT(worst, 0.0); // it is an approximation, not the exact root
}

TEST(InvSqrt, ZeroGivesALargeFiniteValue)
{
    const float y = InvSqrt(0.0f);
    EXPECT_TRUE(std::isfinite(y));
    EXPECT_GT(y, 1e19f);
}
