#pragma once
// The base of every named, shared, reference-counted resource (textures,
// fonts, shader stages). Resources live in one process-wide registry keyed by
// the name they were first requested under; main thread only.

namespace KyE
{
namespace ADT
{
class ADTElement;
}

namespace ResourceManager
{
class Resource
{
public:
    // What GetType returns.
    static constexpr int TYPE_SHADER_STAGE = 1;
    static constexpr int TYPE_TEXTURE = 2;
    static constexpr int TYPE_FONT = 3;

    Resource();
    // 1 shader stage, 2 texture, 3 font.
    virtual int GetType() const = 0;
    // Derived classes free their OpenGL objects here.
    virtual ~Resource();
    // Makes the resource's OpenGL objects anew from its source (the name it
    // is registered under) after the context lost them; false when they
    // cannot be had (the loader says why). The object itself stays, so its
    // holders keep it. A resource without OpenGL objects has nothing to do.
    virtual bool Recreate();

    // Gives one reference back; the last one deletes the resource through the
    // registry (a resource that was never registered is deleted at once).
    void Release();
    // The registry's delete callback: logs the deletion and destroys.
    static void DeleteResource(void* data);

    // The name it is registered under, or null before registration.
    const char* GetName() const;

    ADT::ADTElement* element;
    int referenceCount;
    float releaseDelay;
    int keepTime;
};
} // namespace ResourceManager
} // namespace KyE
