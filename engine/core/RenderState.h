#pragma once
#include <GL/glew.h>

// Mirrors of the render states that drawing code changes. A state is only
// changed through here, so an unchanged state costs no OpenGL call. The
// initial values match what Window::Init leaves behind.
namespace RenderState
{
extern bool blend;
extern bool scissorTest;
extern bool cullFace;
extern bool depthWrite;
extern GLenum blendSource;
extern GLenum blendDestination;

void SetBlend(bool on);
void SetScissorTest(bool on);
void SetCullFace(bool on);
void SetDepthWrite(bool on);
void SetBlendFunc(GLenum source, GLenum destination);
// Writes every cached state to OpenGL, changed or not: a context given back
// empty starts from OpenGL's defaults, and the cache holds what the
// application chose (the game enables blending once, at start-up).
void Apply();
} // namespace RenderState
