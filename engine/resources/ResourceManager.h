#pragma once
#include <cstddef>

// Get-or-load of the shared resources. A repeated request costs one search in
// the registry and no file access; a failed load registers nothing, so the
// next request tries again.

namespace KyE
{
namespace ADT
{
class HashMap;
}
namespace Graphic
{
class Font;
namespace Material
{
class Texture;
}
namespace Effect
{
class Shader;
}
} // namespace Graphic

namespace ResourceManager
{
class Resource;

// The process-wide registry: 256 slots, names, growth policy 1.
ADT::HashMap& Registry();

Graphic::Material::Texture* GetTexture(const char* name);
Graphic::Font* GetFont(const char* name);
// A new program each call (the caller owns it); the stages are shared.
Graphic::Effect::Shader* GetShader(const char* vertexName, const char* fragmentName);

// The common path of GetTexture and GetFont: finds name in the registry and
// takes a reference, or makes an object with create (null: out of memory,
// reported with objectSize), loads it with load and registers it. A failed
// load destroys the object and registers nothing.
Resource* GetOrLoad(const char* name, Resource* (*create)(), bool (*load)(Resource* resource, const char* name),
                    size_t objectSize);

// Enters a loaded resource into the registry under name and sets its element
// and keepTime. False (logged) when it cannot be entered; the caller then
// still owns the resource and destroys it.
bool Register(Resource* resource, const char* name);

// Deletes every resource still registered, each logged once. The device calls
// it at shutdown while the OpenGL context still exists.
void ReleaseAll();

// Re-creates every registered resource of the type (Resource::GetType) after
// the context lost their OpenGL objects. Returns how many were re-created;
// adds those that could not be (each logged) to failures.
int RecreateAll(int type, int& failures);
} // namespace ResourceManager
} // namespace KyE
