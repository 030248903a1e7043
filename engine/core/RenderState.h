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
} // namespace RenderState
