#pragma once
#include "engine/math/Matrix.h"
#include <GL/glew.h>

namespace KyE
{
namespace Graphic
{
namespace Material
{
class Texture;
}
} // namespace Graphic
} // namespace KyE

// Flat, screen-space quads in normalised device coordinates (y up): a
// textured rectangle with an alpha test and a bevelled colour panel. One
// static unit-square vertex array serves every rectangle, and the text
// drawing too; everything comes from two vec3 uniforms per draw. Main
// thread only, between Init and Shutdown.
namespace Draw2D
{
// The unit square (0,0) (1,0) (1,1) (0,1) as a triangle fan.
extern GLuint quadVertexArray;

void Init();
void Shutdown();
// Makes the vertex array, its buffer and the two programs anew after the
// context lost them (the shader stages first), with their uniforms looked
// up again. Returns the programs that link; those that do not are added to
// failures.
int Recreate(int& failures);

// The texture stretched over the rectangle with lower-left corner (x, y);
// texture coordinate (0, 0) lands on that corner. Texels with alpha below
// 0.2 are discarded.
void DrawTexturedRect(const KyE::Graphic::Material::Texture* texture, float x, float y, float width, float height);
// The transformed unit square as a raised panel: darker lower-right half,
// lighter upper-left half, and the colour itself on the inner 90 %.
void DrawBevelRect(const Matrix2x3& transform, const float colour[4]);

// Whether both programs were made; drawing without them draws nothing.
bool IsReady();
} // namespace Draw2D
