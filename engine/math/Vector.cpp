#include "engine/math/Vector.h"

#include "engine/math/InvSqrt.h"
#include <cstdint>
#include <cstring>

namespace
{
float FlipSign(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    bits ^= 0x80000000u;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
} // namespace

Vector3& Vector3::Negate(Vector3& out, const Vector3& v)
{
    out.x = FlipSign(v.x);
    out.y = FlipSign(v.y);
    out.z = FlipSign(v.z);
    return out;
}

Vector3& Vector3::Cross(Vector3& out, const Vector3& a, const Vector3& b)
{
    // Computed into locals first: out may be a or b.
    const float x = a.y * b.z - a.z * b.y;
    const float y = a.z * b.x - a.x * b.z;
    const float z = a.x * b.y - a.y * b.x;
    out.x = x;
    out.y = y;
    out.z = z;
    return out;
}

Vector3& Vector3::Normalize(Vector3& out, const Vector3& v)
{
    const float scale = InvSqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    out.x = v.x * scale;
    out.y = v.y * scale;
    out.z = v.z * scale;
    return out;
}
