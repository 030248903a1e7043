#pragma once
// Signed distances to the simple shapes the painters use: negative inside,
// positive outside, in the caller's units. The picture's y axis points down,
// so "up" in a shape's description means towards smaller y.

float SdfCircle(float x, float y, float radius);
// A rectangle centred at the origin with half extents (hx, hy) and corners
// rounded by radius (which must not exceed either half extent).
float SdfRoundedBox(float x, float y, float hx, float hy, float radius);
// A square standing on one corner, reaching `reach` from the centre to each
// tip, with its corners rounded by `radius`.
float SdfDiamond(float x, float y, float reach, float radius);
// An equilateral triangle pointing up with circumradius r, corners rounded.
float SdfTriangle(float x, float y, float r, float radius);
// A plus sign: two bars of half length `reach` and half thickness `arm`.
float SdfCross(float x, float y, float reach, float arm, float radius);
// A five-pointed star, point up, outer radius r, inner radius ratio `inner`.
float SdfStar(float x, float y, float r, float inner);
// A heart about 2 * size wide, its point down.
float SdfHeart(float x, float y, float size);
