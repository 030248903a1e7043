#pragma once
// Plain single-precision vectors. Every operation writes into an object the
// caller provides (which may be one of the inputs) and returns it.

struct Vector3
{
    float x, y, z;

    // (-x, -y, -z) by flipping each sign bit, so 0 becomes -0.
    static Vector3& Negate(Vector3& out, const Vector3& v);
    static Vector3& Cross(Vector3& out, const Vector3& a, const Vector3& b);
    // v scaled by InvSqrt of its squared length; a zero vector stays zero.
    static Vector3& Normalize(Vector3& out, const Vector3& v);
};

struct Vector4
{
    float x, y, z, w;
};
