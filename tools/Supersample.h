#pragma once
// Anti-aliased painting of shapes given by a function of the position: each
// texel averages its shape over a grid of points spread evenly inside it.

#include "tools/Image.h"

#include <functional>

// The shape's colour at (x, y), in the art's texels; false where the point
// lies outside the shape.
using ShadeAt = std::function<bool(float x, float y, Colour& colour)>;

// Paints each texel of image that the shape covers with the mean colour of
// the subSamples x subSamples points inside it, and the share of the points
// that are inside as its alpha; a texel the shape misses keeps what it had.
// The points' positions are multiplied by scale, so that art drawn at one
// size can be painted at another.
void Supersample(Image& image, int subSamples, float scale, const ShadeAt& shade);
