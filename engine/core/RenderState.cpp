#include "engine/core/RenderState.h"

namespace RenderState
{
bool blend = false;
bool scissorTest = false;
bool cullFace = true;
bool depthWrite = true;
GLenum blendSource = GL_ONE;
GLenum blendDestination = GL_ZERO;

namespace
{
void Write(bool on, GLenum capability)
{
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

void Toggle(bool& cached, bool on, GLenum capability)
{
    if (cached == on)
        return;
    cached = on;
    Write(on, capability);
}
} // namespace

void SetBlend(bool on)
{
    Toggle(blend, on, GL_BLEND);
}

void SetScissorTest(bool on)
{
    Toggle(scissorTest, on, GL_SCISSOR_TEST);
}

void SetCullFace(bool on)
{
    Toggle(cullFace, on, GL_CULL_FACE);
}

void SetDepthWrite(bool on)
{
    if (depthWrite == on)
        return;
    depthWrite = on;
    glDepthMask(on ? GL_TRUE : GL_FALSE);
}

void SetBlendFunc(GLenum source, GLenum destination)
{
    if (blendSource == source && blendDestination == destination)
        return;
    blendSource = source;
    blendDestination = destination;
    glBlendFunc(source, destination);
}

void Apply()
{
    Write(blend, GL_BLEND);
    Write(scissorTest, GL_SCISSOR_TEST);
    Write(cullFace, GL_CULL_FACE);
    glDepthMask(depthWrite ? GL_TRUE : GL_FALSE);
    glBlendFunc(blendSource, blendDestination);
}
} // namespace RenderState
