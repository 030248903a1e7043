#include "engine/math/Matrix.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
void ExpectMatrixNear(const Matrix4x4& actual, const Matrix4x4& expected, float tolerance)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "element " << i;
}

Matrix4x4 Identity()
{
    Matrix4x4 m;
    return Matrix4x4::Identity(m);
}
} // namespace

TEST(Matrix4x4, MultiplyIsRowByColumnAndMayWriteIntoAnInput)
{
    Matrix4x4 a{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
    Matrix4x4 b{{2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 1, 1, 1}};
    Matrix4x4 expected;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
        {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a.m[4 * r + k] * b.m[4 * k + c];
            expected.m[4 * r + c] = sum;
        }
    Matrix4x4::Multiply(a, a, b);
    ExpectMatrixNear(a, expected, 0.0f);
}

TEST(Matrix4x4, InverseOfSingularMatricesIsTheIdentity)
{
    Matrix4x4 zeroRow = {{1, 2, 3, 4, 0, 0, 0, 0, 9, 10, 11, 12, 13, 14, 15, 16}};
    Matrix4x4 out;
    ExpectMatrixNear(Matrix4x4::Inverse(out, zeroRow), Identity(), 0.0f);
    // Two equal rows: the determinant cancels to exactly zero.
    Matrix4x4 equalRows = {{1, 2, 3, 4, 1, 2, 3, 4, 0, 1, 0, 2, 3, 0, 1, 0}};
    ExpectMatrixNear(Matrix4x4::Inverse(out, equalRows), Identity(), 0.0f);
    Matrix4x4 negativeZero = {{-0.0f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    ExpectMatrixNear(Matrix4x4::Inverse(out, negativeZero), Identity(), 0.0f);
}

TEST(Matrix4x4, InverseOfIdentityAndTranslation)
{
    Matrix4x4 out;
    ExpectMatrixNear(Matrix4x4::Inverse(out, Identity()), Identity(), 0.0f);
    Matrix4x4 translation = Identity();
    translation.m[12] = 2;
    translation.m[13] = -3;
    translation.m[14] = 4.5f;
    Matrix4x4 expected = Identity();
    expected.m[12] = -2;
    expected.m[13] = 3;
    expected.m[14] = -4.5f;
    ExpectMatrixNear(Matrix4x4::Inverse(out, translation), expected, 0.0f);
}

TEST(Matrix4x4, InverseTimesMatrixIsTheIdentity)
{
    const Matrix4x4 m = {{2, -1, 0, 3, 1, 4, -2, 0, 0, 5, 1, -1, 3, 0, 2, 1}};
    Matrix4x4 inverse;
    Matrix4x4::Inverse(inverse, m);
    Matrix4x4 product;
    ExpectMatrixNear(Matrix4x4::Multiply(product, m, inverse), Identity(), 1e-5f);
    ExpectMatrixNear(Matrix4x4::Multiply(product, inverse, m), Identity(), 1e-5f);
    // In place as well.
    Matrix4x4 copy = m;
    Matrix4x4::Inverse(copy, copy);
    ExpectMatrixNear(copy, inverse, 0.0f);
}

TEST(Matrix4x4, Perspective)
{
    Matrix4x4 p;
    Matrix4x4::Perspective(p, 3.14159265f / 2, 2.0f, 1.0f, 3.0f);
    Matrix4x4 expected{};
    expected.m[0] = 0.5f;
    expected.m[5] = 1.0f;
    expected.m[10] = -2.0f;
    expected.m[11] = -3.0f;
    expected.m[14] = -1.0f;
    ExpectMatrixNear(p, expected, 1e-6f);
    EXPECT_EQ(p.m[15], 0.0f);
}

TEST(Matrix4x4, LookAtWithUnitAxes)
{
    Matrix4x4 v;
    Matrix4x4::LookAt(v, Vector3{1, 2, 3}, Vector3{0, 0, 1}, Vector3{0, 1, 0}, Vector3{1, 0, 0});
    Matrix4x4 expected = Identity();
    expected.m[12] = -1;
    expected.m[13] = -2;
    expected.m[14] = -3;
    ExpectMatrixNear(v, expected, 0.0f);
}

TEST(Matrix4x4, LookAtUsesTheAxesAsColumns)
{
    // A point as a row vector times the view matrix gives its offset from
    // the eye projected onto each axis.
    const Vector3 eye{1, 1, 0};
    const Vector3 x{0, 1, 0};
    const Vector3 y{-1, 0, 0};
    const Vector3 z{0, 0, 1};
    Matrix4x4 v;
    Matrix4x4::LookAt(v, eye, z, y, x);
    const float point[4] = {3, 2, 5, 1};
    float result[4] = {};
    for (int c = 0; c < 4; ++c)
        for (int k = 0; k < 4; ++k)
            result[c] += point[k] * v.m[4 * k + c];
    EXPECT_FLOAT_EQ(result[0], 1.0f);  // offset (2, 1, 5) onto x
    EXPECT_FLOAT_EQ(result[1], -2.0f); // onto y
    EXPECT_FLOAT_EQ(result[2], 5.0f);  // onto z
    EXPECT_FLOAT_EQ(result[3], 1.0f);
}

TEST(Matrix2x3, RotationTurnsCounterClockwise)
{
    Matrix2x3 r;
    Matrix2x3::Rotation(r, 3.14159265f / 2);
    float x;
    float y;
    Matrix2x3::Apply(r, 1, 0, x, y);
    EXPECT_NEAR(x, 0.0f, 1e-6f);
    EXPECT_NEAR(y, 1.0f, 1e-6f);
}

TEST(Matrix2x3, TranslationAfterScale)
{
    Matrix2x3 t;
    Matrix2x3 s;
    Matrix2x3 out;
    Matrix2x3::Compose(out, Matrix2x3::Translation(t, 2, 3), Matrix2x3::Scale(s, 4, 5));
    EXPECT_EQ(out.a, 4.0f);
    EXPECT_EQ(out.b, 0.0f);
    EXPECT_EQ(out.c, 2.0f);
    EXPECT_EQ(out.d, 0.0f);
    EXPECT_EQ(out.e, 5.0f);
    EXPECT_EQ(out.f, 3.0f);
}

TEST(Matrix2x3, CompositionAppliesTheRightOperandFirst)
{
    Matrix2x3 rotation;
    Matrix2x3 translation;
    Matrix2x3::Rotation(rotation, 0.7f);
    Matrix2x3::Translation(translation, 1.5f, -2.0f);
    Matrix2x3 composed;
    Matrix2x3::Compose(composed, rotation, translation);
    float ax, ay, bx, by;
    Matrix2x3::Apply(translation, 0.3f, 0.9f, ax, ay);
    Matrix2x3::Apply(rotation, ax, ay, ax, ay);
    Matrix2x3::Apply(composed, 0.3f, 0.9f, bx, by);
    EXPECT_NEAR(ax, bx, 1e-6f);
    EXPECT_NEAR(ay, by, 1e-6f);
    // Into its own operand.
    Matrix2x3::Compose(rotation, rotation, translation);
    EXPECT_EQ(rotation.c, composed.c);
    EXPECT_EQ(rotation.f, composed.f);
}
