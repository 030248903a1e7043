#pragma once
#include "engine/math/Vector.h"

// Plain single-precision matrices. Every operation writes into an object the
// caller provides (which may be one of the inputs) and returns it.

// Element of row r and column c at m[4r + c].
struct Matrix4x4
{
    float m[16];

    static Matrix4x4& Identity(Matrix4x4& out);
    // The row-by-column product a * b.
    static Matrix4x4& Multiply(Matrix4x4& out, const Matrix4x4& a, const Matrix4x4& b);
    // The inverse; the identity when the determinant is exactly zero.
    static Matrix4x4& Inverse(Matrix4x4& out, const Matrix4x4& source);
    // fovY is the full vertical field of view in radians, aspect width/height.
    static Matrix4x4& Perspective(Matrix4x4& out, float fovY, float aspect, float nearPlane, float farPlane);
    // Translation by -position, then onto the three axes as given (neither
    // normalised nor made perpendicular here).
    static Matrix4x4& LookAt(Matrix4x4& out, const Vector3& position, const Vector3& zAxis, const Vector3& yAxis,
                             const Vector3& xAxis);
};

// The 2D transform (u, v) -> (a*u + b*v + c, d*u + e*v + f); rows (a, b, c)
// and (d, e, f) are what the 2D drawing uploads.
struct Matrix2x3
{
    float a, b, c;
    float d, e, f;

    static Matrix2x3& Translation(Matrix2x3& out, float tx, float ty);
    // Counter-clockwise for a y axis that points up.
    static Matrix2x3& Rotation(Matrix2x3& out, float angle);
    static Matrix2x3& Scale(Matrix2x3& out, float sx, float sy);
    // a o b: b is applied first, then a.
    static Matrix2x3& Compose(Matrix2x3& out, const Matrix2x3& a, const Matrix2x3& b);
    // The image of the point (u, v).
    static void Apply(const Matrix2x3& t, float u, float v, float& outX, float& outY);
};
