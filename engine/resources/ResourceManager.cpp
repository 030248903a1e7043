#include "engine/resources/ResourceManager.h"

#include "engine/containers/HashMap.h"
#include "engine/core/Log.h"
#include "engine/resources/Resource.h"

namespace KyE
{
namespace ResourceManager
{
ADT::HashMap& Registry()
{
    // Made on first use, so no static constructor can find it unmade.
    static ADT::HashMap resourceRegistry(256, ADT::HashMap::MODE_NAMES | 1u);
    return resourceRegistry;
}

namespace
{
// Made during static initialisation all the same: made before main, it is
// destroyed only after the exit handlers that freeglut registers later, one
// of which may still close the window and so shut the device down.
ADT::HashMap& registryAtStart = Registry();
} // namespace

Resource* GetOrLoad(const char* name, Resource* (*create)(), bool (*load)(Resource* resource, const char* name),
                    size_t objectSize)
{
    ADT::HashMap& registry = Registry();
    registry.DeleteCallback = Resource::DeleteResource;
    if (name == nullptr)
    {
        LogError("[ResourceManager::GetOrLoad] A resource was requested without a name.");
        return nullptr;
    }
    ADT::ADTElement* found = registry.Search(name);
    if (found != nullptr && found->Data != nullptr)
    {
        Resource* shared = static_cast<Resource*>(found->Data);
        ++shared->referenceCount;
        return shared;
    }

    Resource* resource = create();
    if (resource == nullptr)
    {
        LogOutOfMemory(objectSize);
        return nullptr;
    }
    if (!load(resource, name))
    {
        delete resource; // the loader has said why
        return nullptr;
    }
    if (!Register(resource, name))
    {
        delete resource;
        return nullptr;
    }
    return resource;
}

bool Register(Resource* resource, const char* name)
{
    ADT::HashMap& registry = Registry();
    registry.DeleteCallback = Resource::DeleteResource;
    ADT::ADTElement* element = registry.Insert(resource, name);
    if (element != nullptr && element->Data == nullptr)
        element->Data = resource; // an empty entry of that name takes it
    if (element == nullptr || element->Data != resource)
    {
        LogError("[ResourceManager::Register] Could not register the resource '%s'.", name);
        return false;
    }
    resource->element = element;
    resource->keepTime = 0;
    return true;
}

void ReleaseAll()
{
    ADT::HashMap& registry = Registry();
    registry.DeleteCallback = Resource::DeleteResource;
    registry.Clear();
}

int RecreateAll(int type, int& failures)
{
    ADT::HashMap& registry = Registry();
    int made = 0;
    for (ADT::ADTElement* element = registry.GetFirst(); element != nullptr; element = registry.GetNext(element))
    {
        Resource* resource = static_cast<Resource*>(element->Data);
        if (resource == nullptr || resource->GetType() != type)
            continue;
        if (resource->Recreate())
        {
            ++made;
            continue;
        }
        ++failures;
        LogError("[ResourceManager::RecreateAll] Could not re-create the resource '%.30s'.", element->Name);
    }
    return made;
}
} // namespace ResourceManager
} // namespace KyE
