#pragma once
#include <GL/glew.h>
#include <cstddef>
#include <cstdint>

// The engine's shared std140 uniform blocks, bound to fixed binding points
// once, so programs need no per-draw uniform calls for them. Writers change a
// block's copy at a member's std140 offset and set dirty; CommitChanges
// uploads each dirty block once. Main thread only.
struct UniformBlock
{
    GLuint buffer;
    bool dirty;
    uint32_t usedSize; // bytes laid out by AddMember; the bytes uploaded
    uint8_t* data;     // the copy, capacity bytes; null when it could not be had
    char name[32];     // as in the GLSL declarations
    uint32_t capacity;
};

namespace UniformManager
{
// The GLSL declarations of the blocks, the replacement of "#header uniforms".
extern const char declarations[];
constexpr size_t DECLARATIONS_LENGTH = 684;

extern UniformBlock** blocks; // slot i: the block at binding point i
extern int blockCount;
extern int maxBlocks;
extern int maxBlockSize;

// glBufferSubData calls made by CommitChanges and the bytes they sent.
struct Counters
{
    unsigned long uploads;
    unsigned long long uploadedBytes;
};
extern Counters calls;

// Queries and logs the limits and creates "Lightening", "Transformation" and
// "Object" at binding points 0, 1, 2. Needs the OpenGL context.
void Init();
// A block at the next binding point, or null (logged).
UniformBlock* AddBlock(const char* name);
// Lays out one member of size bytes at the block's end, never straddling a
// 16-byte row.
void AddMember(UniformBlock* block, uint32_t size);
// Uploads the used part of every dirty block that has a copy.
void CommitChanges();
// Binds every block that program declares to its binding point.
void BindBlocks(GLuint program);
// Makes every block's buffer anew, at its binding point, from the block's
// copy, after the context lost the old ones; the blocks themselves stay.
// Returns the number of buffers made.
int Recreate();
// Deletes the blocks and their buffers; Init may run again afterwards.
void Release();
} // namespace UniformManager
