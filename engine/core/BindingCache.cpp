#include "engine/core/BindingCache.h"

namespace BindingCache
{
int activeUnit = 0;
GLuint texture0 = 0;
GLuint uniformBuffer = 0;
Counters calls = {0, 0, 0};

void UseUnit0()
{
    if (activeUnit != 0)
    {
        activeUnit = 0;
        glActiveTexture(GL_TEXTURE0);
        ++calls.activeTexture;
    }
}

void BindTexture(GLenum target, GLuint name)
{
    UseUnit0();
    if (texture0 != name)
    {
        glBindTexture(target, name);
        texture0 = name;
        ++calls.bindTexture;
    }
}

void UnbindTexture(GLenum target)
{
    UseUnit0();
    if (texture0 != 0)
    {
        glBindTexture(target, 0);
        texture0 = 0;
        ++calls.bindTexture;
    }
}

void BindUniformBuffer(GLuint buffer)
{
    if (uniformBuffer != buffer)
    {
        glBindBuffer(GL_UNIFORM_BUFFER, buffer);
        uniformBuffer = buffer;
        ++calls.bindUniformBuffer;
    }
}

void Forget()
{
    activeUnit = 0;
    texture0 = 0;
    uniformBuffer = 0;
}
} // namespace BindingCache
