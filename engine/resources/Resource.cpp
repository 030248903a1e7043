#include "engine/resources/Resource.h"

#include "engine/containers/HashMap.h"
#include "engine/core/Log.h"
#include "engine/resources/ResourceManager.h"

namespace KyE
{
namespace ResourceManager
{
Resource::Resource() : element(nullptr), referenceCount(1), releaseDelay(0.0f), keepTime(0)
{
}

Resource::~Resource()
{
}

bool Resource::Recreate()
{
    return true;
}

void Resource::Release()
{
    --referenceCount;
    if (referenceCount > 0)
        return;
    releaseDelay = static_cast<float>(keepTime) * 0.1f;
    if (releaseDelay > 0.0f)
        return; // stays registered for a later request
    if (element == nullptr)
    {
        // Never registered, so nothing else will ever delete it.
        delete this;
        return;
    }
    Registry().Delete(element);
}

void Resource::DeleteResource(void* data)
{
    Resource* resource = static_cast<Resource*>(data);
    const char* name = resource->GetName();
    LogInfo("[Resource::DeleteResource] Deleted resource '%.30s'.", name != nullptr ? name : "");
    delete resource;
}

const char* Resource::GetName() const
{
    return element != nullptr ? element->Name : nullptr;
}
} // namespace ResourceManager
} // namespace KyE
