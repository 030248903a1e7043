#pragma once
#include <cstdint>

// The engine's abstract container and its element.
namespace KyE
{
namespace ADT
{
class ADTElement
{
public:
    virtual ~ADTElement() {}

    int32_t UseCount = 1;
    uint64_t Key = 0;
    char* Name = nullptr; // the map's own copy, in name mode
    void* Data = nullptr; // the user's; never freed by the container
};

class ADT
{
public:
    virtual ~ADT() {}
    virtual ADTElement* Insert(void* data, uint64_t key) = 0;
    virtual void Delete(ADTElement* element) = 0;
    virtual void Delete(uint64_t key) = 0;
    virtual ADTElement* Search(uint64_t key) = 0;
    virtual void Clear() = 0;
    virtual ADTElement* GetFirst() = 0;
    virtual ADTElement* GetLast() = 0;
    virtual ADTElement* GetNext(ADTElement* element) = 0;
    virtual ADTElement* GetPrevious(ADTElement* element) = 0;
};
} // namespace ADT
} // namespace KyE
