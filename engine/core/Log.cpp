#include "engine/core/Log.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cstdarg>
#include <cstdio>

namespace
{
// Formats the prefix, then the message behind it, never past the buffer.
void FormatLine(char (&buffer)[LOG_BUFFER_SIZE], const char* prefix, const char* format, va_list args)
{
    int used = snprintf(buffer, LOG_BUFFER_SIZE, "%s", prefix);
    if (used < 0)
        used = 0;
    if (used >= LOG_BUFFER_SIZE)
        used = LOG_BUFFER_SIZE - 1;
    vsnprintf(buffer + used, static_cast<size_t>(LOG_BUFFER_SIZE - used), format, args);
}
} // namespace

void LogInfo(const char* format, ...)
{
    char buffer[LOG_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    FormatLine(buffer, "Info: ", format, args);
    va_end(args);
    fprintf(stdout, "%s\n", buffer);
}

void LogError(const char* format, ...)
{
    char buffer[LOG_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    FormatLine(buffer, "Error: ", format, args);
    va_end(args);
    fprintf(stderr, "%s\n", buffer);
}

void LogGLError(const char* format, ...)
{
    GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return;
    char buffer[LOG_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    FormatLine(buffer, "Error: ", format, args);
    va_end(args);
    const GLubyte* text = gluErrorString(error);
    fprintf(stderr, "%s: %s\n", buffer, text ? reinterpret_cast<const char*>(text) : "unknown error");
}

void LogFatal(const char* format, ...)
{
    char buffer[LOG_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    FormatLine(buffer, "Fatal Error: ", format, args);
    va_end(args);
    fprintf(stderr, "%s\n", buffer);
    // freeglut ends the process on calls made before glutInit; asking it to
    // leave a loop that has not started has no lasting effect anyway.
    if (glutGet(GLUT_INIT_STATE))
        glutLeaveMainLoop();
}

void LogOutOfMemory(unsigned long long bytes)
{
    fprintf(stderr, "Error: Out of Memory. Could not allocate %d byte.\n", static_cast<int>(bytes));
}
