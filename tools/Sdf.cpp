#include "tools/Sdf.h"

#include <algorithm>
#include <cmath>

namespace
{

const float pi = 3.14159265358979f;

float Length(float x, float y)
{
    return std::sqrt(x * x + y * y);
}

float SegmentDistance(float px, float py, float ax, float ay, float bx, float by)
{
    float dx = bx - ax, dy = by - ay;
    float t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
    t = std::clamp(t, 0.0f, 1.0f);
    return Length(px - ax - dx * t, py - ay - dy * t);
}

// Signed distance to a closed polygon (even-odd inside test).
float SdfPolygon(float x, float y, const float* px, const float* py, int count)
{
    float best = 1e30f;
    bool inside = false;
    for (int i = 0, j = count - 1; i < count; j = i++)
    {
        best = std::min(best, SegmentDistance(x, y, px[j], py[j], px[i], py[i]));
        if (((py[i] > y) != (py[j] > y)) && (x < (px[j] - px[i]) * (y - py[i]) / (py[j] - py[i]) + px[i]))
            inside = !inside;
    }
    return inside ? -best : best;
}

} // namespace

float SdfCircle(float x, float y, float radius)
{
    return Length(x, y) - radius;
}

float SdfRoundedBox(float x, float y, float hx, float hy, float radius)
{
    float qx = std::fabs(x) - hx + radius;
    float qy = std::fabs(y) - hy + radius;
    float outside = Length(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float SdfDiamond(float x, float y, float reach, float radius)
{
    // A box turned by 45 degrees; rounding eats into the tips, so the box
    // grows by what the rounding takes away at a corner.
    float c = std::sqrt(0.5f);
    float u = (x + y) * c, v = (x - y) * c;
    float half = reach * c + radius * (1.0f - c);
    return SdfRoundedBox(u, v, half, half, radius);
}

float SdfTriangle(float x, float y, float r, float radius)
{
    float core = r - 2.0f * radius;
    float px[3], py[3];
    for (int i = 0; i < 3; ++i)
    {
        float a = -pi / 2 + i * 2 * pi / 3;
        px[i] = core * std::cos(a);
        py[i] = core * std::sin(a);
    }
    return SdfPolygon(x, y, px, py, 3) - radius;
}

float SdfCross(float x, float y, float reach, float arm, float radius)
{
    float a = SdfRoundedBox(x, y, reach, arm, radius);
    float b = SdfRoundedBox(x, y, arm, reach, radius);
    return std::min(a, b);
}

float SdfStar(float x, float y, float r, float inner)
{
    float px[10], py[10];
    for (int i = 0; i < 10; ++i)
    {
        float a = -pi / 2 + i * pi / 5;
        float radius = (i % 2 == 0) ? r : r * inner;
        px[i] = radius * std::cos(a);
        py[i] = radius * std::sin(a);
    }
    return SdfPolygon(x, y, px, py, 10);
}

float SdfHeart(float x, float y, float size)
{
    // Two round lobes and the wedge of their 45-degree tangents down to the
    // point; the lobe centres sit so that the whole shape is centred.
    float c = std::sqrt(0.5f);
    float lobeX = 0.5f * size, lobeR = 0.55f * size, lobeY = -0.365f * size;
    float tx = lobeX + lobeR * c, ty = lobeY + lobeR * c;
    float tipY = lobeY + lobeX + 2.0f * lobeR * c;
    float qx[5] = {-lobeX, lobeX, tx, 0.0f, -tx};
    float qy[5] = {lobeY, lobeY, ty, tipY, ty};
    float wedge = SdfPolygon(x, y, qx, qy, 5);
    float left = SdfCircle(x + lobeX, y - lobeY, lobeR);
    float right = SdfCircle(x - lobeX, y - lobeY, lobeR);
    return std::min(std::min(left, right), wedge);
}
