#pragma once
#include <GL/glew.h>

// What is bound where, so that repeated binds issue no OpenGL call. Every
// texture and uniform buffer bind of the engine goes through here. All
// drawing binds its textures on unit 0.
namespace BindingCache
{
extern int activeUnit;
extern GLuint texture0;
extern GLuint uniformBuffer;

// OpenGL calls actually issued, for tests and benchmarks.
struct Counters
{
    unsigned long activeTexture;
    unsigned long bindTexture;
    unsigned long bindUniformBuffer;
};
extern Counters calls;

// Makes unit 0 active if it is not.
void UseUnit0();
// Binds a texture on unit 0 unless it is bound there already.
void BindTexture(GLenum target, GLuint name);
// Unbinds unit 0's texture if one is cached.
void UnbindTexture(GLenum target);
void BindUniformBuffer(GLuint buffer);
// Forgets every binding without a call: in a context given back empty
// nothing is bound and unit 0 is active.
void Forget();
} // namespace BindingCache
