#include "engine/math/Matrix.h"

#include <cmath>

namespace
{
// Determinant of the 3x3 minor on rows r0 < r1 < r2 and columns c0 < c1 < c2,
// expanded along its first row with 2x2 sub-determinants of the other two.
float Minor3(const float* m, int r0, int r1, int r2, int c0, int c1, int c2)
{
    const float* a = m + 4 * r0;
    const float* b = m + 4 * r1;
    const float* c = m + 4 * r2;
    return a[c0] * (b[c1] * c[c2] - b[c2] * c[c1]) - a[c1] * (b[c0] * c[c2] - b[c2] * c[c0]) +
           a[c2] * (b[c0] * c[c1] - b[c1] * c[c0]);
}

// The minor of m without row r and column c.
float Minor(const float* m, int r, int c)
{
    int rows[3];
    int cols[3];
    for (int i = 0, n = 0; i < 4; ++i)
        if (i != r)
            rows[n++] = i;
    for (int i = 0, n = 0; i < 4; ++i)
        if (i != c)
            cols[n++] = i;
    return Minor3(m, rows[0], rows[1], rows[2], cols[0], cols[1], cols[2]);
}
} // namespace

Matrix4x4& Matrix4x4::Identity(Matrix4x4& out)
{
    for (int i = 0; i < 16; ++i)
        out.m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    return out;
}

Matrix4x4& Matrix4x4::Multiply(Matrix4x4& out, const Matrix4x4& a, const Matrix4x4& b)
{
    // Into a local first: out may be a or b.
    float result[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
        {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.m[4 * r + k] * b.m[4 * k + c];
            result[4 * r + c] = sum;
        }
    for (int i = 0; i < 16; ++i)
        out.m[i] = result[i];
    return out;
}

Matrix4x4& Matrix4x4::Inverse(Matrix4x4& out, const Matrix4x4& source)
{
    const float* m = source.m;
    // Laplace expansion along the last row.
    const float det =
        -m[12] * Minor(m, 3, 0) + m[13] * Minor(m, 3, 1) - m[14] * Minor(m, 3, 2) + m[15] * Minor(m, 3, 3);
    if (det == 0.0f)
        return Identity(out);

    const float r = 1.0f / det;
    float result[16];
    for (int i = 0; i < 4; ++i)
    {
        // Column i of the inverse: the cofactors of row i.
        const float factor = (i & 1) ? -r : r;
        for (int j = 0; j < 4; ++j)
        {
            const float cofactor = (j & 1) ? -Minor(m, i, j) : Minor(m, i, j);
            result[4 * j + i] = cofactor * factor;
        }
    }
    for (int i = 0; i < 16; ++i)
        out.m[i] = result[i];
    return out;
}

Matrix4x4& Matrix4x4::Perspective(Matrix4x4& out, float fovY, float aspect, float nearPlane, float farPlane)
{
    const float t = std::tan(fovY * 0.5f);
    const float invT = 1.0f / t;
    const float invDepth = 1.0f / (nearPlane - farPlane);
    for (int i = 0; i < 16; ++i)
        out.m[i] = 0.0f;
    out.m[0] = invT / aspect;
    out.m[5] = invT;
    out.m[10] = (nearPlane + farPlane) * invDepth;
    out.m[11] = (nearPlane * 2.0f * farPlane) * invDepth;
    out.m[14] = -1.0f;
    return out;
}

Matrix4x4& Matrix4x4::LookAt(Matrix4x4& out, const Vector3& position, const Vector3& zAxis, const Vector3& yAxis,
                             const Vector3& xAxis)
{
    Vector3 back;
    Vector3::Negate(back, position);
    Matrix4x4 translation;
    Identity(translation);
    translation.m[12] = back.x;
    translation.m[13] = back.y;
    translation.m[14] = back.z;

    // clang-format off
    const Matrix4x4 rotation = {{
        xAxis.x, yAxis.x, zAxis.x, 0.0f,
        xAxis.y, yAxis.y, zAxis.y, 0.0f,
        xAxis.z, yAxis.z, zAxis.z, 0.0f,
        0.0f, 0.0f, 0.0f, 1.0f,
    }};
    // clang-format on
    return Multiply(out, translation, rotation);
}

Matrix2x3& Matrix2x3::Translation(Matrix2x3& out, float tx, float ty)
{
    out = Matrix2x3{1.0f, 0.0f, tx, 0.0f, 1.0f, ty};
    return out;
}

Matrix2x3& Matrix2x3::Rotation(Matrix2x3& out, float angle)
{
    const float cosine = std::cos(angle);
    const float sine = std::sin(angle);
    out = Matrix2x3{cosine, -sine, 0.0f, sine, cosine, 0.0f};
    return out;
}

Matrix2x3& Matrix2x3::Scale(Matrix2x3& out, float sx, float sy)
{
    out = Matrix2x3{sx, 0.0f, 0.0f, 0.0f, sy, 0.0f};
    return out;
}

Matrix2x3& Matrix2x3::Compose(Matrix2x3& out, const Matrix2x3& a, const Matrix2x3& b)
{
    // Built completely before it is stored: out may be a or b.
    const Matrix2x3 result = {
        a.a * b.a + a.b * b.d, a.a * b.b + a.b * b.e, a.a * b.c + a.b * b.f + a.c,
        a.d * b.a + a.e * b.d, a.d * b.b + a.e * b.e, a.d * b.c + a.e * b.f + a.f,
    };
    out = result;
    return out;
}

void Matrix2x3::Apply(const Matrix2x3& t, float u, float v, float& outX, float& outY)
{
    const float x = t.a * u + t.b * v + t.c;
    const float y = t.d * u + t.e * v + t.f;
    outX = x;
    outY = y;
}
