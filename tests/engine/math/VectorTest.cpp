#include "engine/math/Vector.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(Vector3, NegateFlipsSignBitsSoZeroBecomesNegativeZero)
{
    Vector3 v{0.0f, -2.0f, 3.5f};
    Vector3 out;
    Vector3::Negate(out, v);
    EXPECT_TRUE(std::signbit(out.x));
    EXPECT_EQ(out.x, 0.0f);
    EXPECT_EQ(out.y, 2.0f);
    EXPECT_EQ(out.z, -3.5f);
}

TEST(Vector3, CrossOfAxesAndInPlace)
{
    Vector3 x{1, 0, 0};
    Vector3 y{0, 1, 0};
    Vector3 z;
    Vector3::Cross(z, x, y);
    EXPECT_EQ(z.x, 0.0f);
    EXPECT_EQ(z.y, 0.0f);
    EXPECT_EQ(z.z, 1.0f);
    // Output aliasing an input still sees the input's old values.
    Vector3 a{1, 2, 3};
    Vector3 b{4, 5, 6};
    Vector3::Cross(a, a, b);
    EXPECT_EQ(a.x, 2.0f * 6 - 3.0f * 5);
    EXPECT_EQ(a.y, 3.0f * 4 - 1.0f * 6);
    EXPECT_EQ(a.z, 1.0f * 5 - 2.0f * 4);
}

TEST(Vector3, NormalizeGivesUnitLengthAndKeepsZero)
{
    Vector3 v{3, 4, 0};
    Vector3::Normalize(v, v);
    EXPECT_NEAR(v.x, 0.6f, 1e-5f);
    EXPECT_NEAR(v.y, 0.8f, 1e-5f);
    EXPECT_EQ(v.z, 0.0f);
    Vector3 zero{0, 0, 0};
    Vector3::Normalize(zero, zero);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);
}
