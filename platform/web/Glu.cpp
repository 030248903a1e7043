// The one GLU function the engine uses, for the text of OpenGL errors; the
// browser has no GLU. The texts are the usual ones.
#include <GL/glu.h>

const GLubyte* gluErrorString(GLenum error)
{
    const char* text = nullptr;
    // clang-format off
    switch (error)
    {
    case GL_NO_ERROR: text = "no error"; break;
    case GL_INVALID_ENUM: text = "invalid enumerant"; break;
    case GL_INVALID_VALUE: text = "invalid value"; break;
    case GL_INVALID_OPERATION: text = "invalid operation"; break;
    case GL_STACK_OVERFLOW: text = "stack overflow"; break;
    case GL_STACK_UNDERFLOW: text = "stack underflow"; break;
    case GL_OUT_OF_MEMORY: text = "out of memory"; break;
    case 0x0506: text = "invalid framebuffer operation"; break;
    default: break;
    }
    // clang-format on
    return reinterpret_cast<const GLubyte*>(text);
}
