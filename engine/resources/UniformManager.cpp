#include "engine/resources/UniformManager.h"

#include "engine/core/BindingCache.h"
#include "engine/core/Log.h"
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>

namespace UniformManager
{
const char declarations[] =
    "\nstruct SLight {int iType;bool bShadow;float fSpecial1;float fSpecial2;vec3 vDiffuse;float fSpecial3;"
    "vec3 vAmbiente;float fSpecial4;vec3 vPosition;float fSpecial5;vec3 vDirection;float fSpecial6;vec3 vExtra;"
    "float fSpecial7;};struct SMaterial {\tvec4 vColor;};layout(std140) uniform Lightening {int iNumLights;"
    "SLight L[64];};layout(std140) uniform Transformation {mat4 mView;mat4 mProjection;mat4 mViewProjection;"
    "mat4 mInverseViewProjection;vec3 vCameraPos;vec3 vCameraDir;float fNearClipPlane;vec3 vCameraUp;"
    "float fFarClipPlane;};layout(std140) uniform Object {mat4 mWorld;mat4 mWorldView;mat4 mWorldViewProjection;"
    "mat4 mInvTransWorldView;mat3x2 mTextureTransform;SMaterial Material;};";
static_assert(sizeof(declarations) == DECLARATIONS_LENGTH + 1, "the declarations are 684 bytes");

UniformBlock** blocks = nullptr;
int blockCount = 0;
int maxBlocks = 0;
int maxBlockSize = 0;
Counters calls = {0, 0};

namespace
{
constexpr int BLOCK_LIMIT = 256;

int Smallest(int a, int b)
{
    return a < b ? a : b;
}

// The bind bypasses the cache's compare but keeps it true, so a later
// commit never skips a bind it needs.
void BindDirect(GLuint buffer)
{
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    BindingCache::uniformBuffer = buffer;
}
} // namespace

void Init()
{
    if (blocks != nullptr)
        Release();
    blockCount = 0;
    GLint vertexBlocks = 0;
    GLint fragmentBlocks = 0;
    GLint geometryBlocks = 0;
    glGetIntegerv(GL_MAX_VERTEX_UNIFORM_BLOCKS, &vertexBlocks);
    glGetIntegerv(GL_MAX_FRAGMENT_UNIFORM_BLOCKS, &fragmentBlocks);
    glGetIntegerv(GL_MAX_GEOMETRY_UNIFORM_BLOCKS, &geometryBlocks);
    maxBlocks = Smallest(Smallest(Smallest(vertexBlocks, fragmentBlocks), geometryBlocks), BLOCK_LIMIT);
    LogInfo("[UniformManager::Init] Minimum number of supported Uniform Buffer Objects: %d", maxBlocks);
    GLint blockSize = 0;
    glGetIntegerv(GL_MAX_UNIFORM_BLOCK_SIZE, &blockSize);
    maxBlockSize = blockSize;
    LogInfo("[UniformManager::Init] Supported size of a Uniform Buffer Object: %d", maxBlockSize);

    if (maxBlocks > 0)
    {
        size_t bytes = static_cast<size_t>(maxBlocks) * sizeof(UniformBlock*);
        blocks = static_cast<UniformBlock**>(malloc(bytes));
        if (blocks == nullptr)
            LogOutOfMemory(bytes);
        else
            memset(blocks, 0, bytes);
    }

    if (UniformBlock* lights = AddBlock("Lightening"))
    {
        AddMember(lights, 4); // iNumLights
        for (int i = 0; i < 64; ++i)
            AddMember(lights, 96); // L[i]
    }
    if (UniformBlock* transformation = AddBlock("Transformation"))
    {
        for (uint32_t size : {64u, 64u, 64u, 64u, 12u, 12u, 4u, 12u, 4u})
            AddMember(transformation, size);
    }
    if (UniformBlock* object = AddBlock("Object"))
    {
        for (uint32_t size : {64u, 64u, 64u, 64u, 48u, 16u})
            AddMember(object, size);
    }
}

UniformBlock* AddBlock(const char* name)
{
    if (blocks == nullptr || blockCount >= maxBlocks)
    {
        LogFatal("[UniformManager::AddBlock] Maximum number of Uniform Buffer Objects reached!");
        return nullptr;
    }
    if (name == nullptr || strlen(name) >= sizeof(UniformBlock::name))
    {
        // A cut name would never match the block in any program.
        LogError("[UniformManager::AddBlock] The name of a Uniform Buffer Object must have 1 to 31 characters.");
        return nullptr;
    }
    UniformBlock* block = new (std::nothrow) UniformBlock;
    if (block == nullptr)
    {
        LogOutOfMemory(sizeof(UniformBlock));
        return nullptr;
    }
    block->dirty = false;
    block->usedSize = 0;
    block->buffer = 0;
    glGenBuffers(1, &block->buffer);
    uint32_t size = maxBlockSize > 0 ? static_cast<uint32_t>(maxBlockSize) : 0;
    // Zeroed, so that a copy uploaded before anyone wrote it (when a lost
    // context's buffers are made again) holds nothing undefined.
    block->data = size > 0 ? static_cast<uint8_t*>(calloc(size, 1)) : nullptr;
    if (block->data == nullptr)
        LogOutOfMemory(size);
    memset(block->name, 0, sizeof(block->name));
    memcpy(block->name, name, strlen(name));
    block->capacity = size;

    BindDirect(block->buffer);
    glBufferData(GL_UNIFORM_BUFFER, size, nullptr, GL_STREAM_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, static_cast<GLuint>(blockCount), block->buffer);
    blocks[blockCount] = block;
    ++blockCount;
    return block;
}

void AddMember(UniformBlock* block, uint32_t size)
{
    if (block == nullptr)
        return;
    uint64_t used = block->usedSize;
    uint64_t rowLeft = 16u - (used % 16u);
    if (rowLeft < size && rowLeft != 16u)
        used += rowLeft;
    used += size;
    if (used > block->capacity)
    {
        LogFatal("Maximum Uniform Buffer size exceeded!");
        // What is uploaded is never more than the copy holds.
        used = block->capacity;
    }
    block->usedSize = static_cast<uint32_t>(used);
}

void CommitChanges()
{
    for (int i = 0; i < blockCount; ++i)
    {
        UniformBlock* block = blocks[i];
        if (block == nullptr || !block->dirty)
            continue;
        block->dirty = false;
        if (block->data == nullptr)
            continue; // no copy: nothing true to upload
        uint32_t size = block->usedSize <= block->capacity ? block->usedSize : block->capacity;
        BindingCache::BindUniformBuffer(block->buffer);
        glBufferSubData(GL_UNIFORM_BUFFER, 0, size, block->data);
        ++calls.uploads;
        calls.uploadedBytes += size;
        glFlush();
        LogGLError("[UniformManager::CommitChanges]");
    }
}

void BindBlocks(GLuint program)
{
    for (int i = 0; i < blockCount; ++i)
    {
        if (blocks[i] == nullptr)
            continue;
        GLuint index = glGetUniformBlockIndex(program, blocks[i]->name);
        if (glGetError() == GL_NO_ERROR && index != GL_INVALID_INDEX)
            glUniformBlockBinding(program, index, static_cast<GLuint>(i));
    }
}

int Recreate()
{
    int made = 0;
    for (int i = 0; i < blockCount; ++i)
    {
        UniformBlock* block = blocks[i];
        if (block == nullptr)
            continue;
        // The old buffer went with the context; its name is not deleted,
        // since the new context may have given it to another object.
        block->buffer = 0;
        glGenBuffers(1, &block->buffer);
        BindDirect(block->buffer);
        glBufferData(GL_UNIFORM_BUFFER, block->capacity, nullptr, GL_STREAM_DRAW);
        if (block->data != nullptr && block->usedSize > 0)
            glBufferSubData(GL_UNIFORM_BUFFER, 0, block->usedSize, block->data);
        glBindBufferBase(GL_UNIFORM_BUFFER, static_cast<GLuint>(i), block->buffer);
        made += block->buffer != 0 ? 1 : 0;
    }
    BindDirect(0);
    LogGLError("[UniformManager::Recreate] Could not re-create the Uniform Buffer Objects");
    return made;
}

void Release()
{
    if (blocks == nullptr)
    {
        blockCount = 0;
        return;
    }
    BindDirect(0);
    for (int i = 0; i < maxBlocks; ++i)
    {
        UniformBlock* block = blocks[i];
        if (block == nullptr)
            continue;
        free(block->data);
        glDeleteBuffers(1, &block->buffer);
        delete block;
        blocks[i] = nullptr;
    }
    free(blocks);
    blocks = nullptr;
    blockCount = 0;
}
} // namespace UniformManager
