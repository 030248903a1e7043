#pragma once
#include "engine/containers/ADT.h"

// A table of slots, each the root of an ordered binary tree, keyed by 64-bit
// numbers or (in name mode) by names. Element addresses stay valid while the
// element is in the map, across growth too. Removal hands the data to
// DeleteCallback; the map never frees data itself.
namespace KyE
{
namespace ADT
{
class HashMap;

class Bucket : public ADTElement
{
public:
    ~Bucket() override {}

    Bucket* Left = nullptr;
    Bucket* Right = nullptr;
    // The parent node, or null for a slot's root (then Slot tells which).
    Bucket* Parent = nullptr;
    // The slot whose tree holds the node; kept for every node, not only roots.
    uint32_t Slot = 0;
};

class HashMap : public ADT
{
public:
    // Mode bits 0-1: growth policy 0-3; bit 3 (8): name mode.
    static constexpr uint32_t MODE_NAMES = 8;

    HashMap(uint32_t bucketCount, uint32_t mode);
    ~HashMap() override;
    HashMap(const HashMap&) = delete;
    HashMap& operator=(const HashMap&) = delete;

    ADTElement* Insert(void* data, uint64_t key) override;
    ADTElement* Insert(void* data, const char* name);
    void Delete(ADTElement* element) override;
    void Delete(uint64_t key) override;
    ADTElement* Search(uint64_t key) override;
    ADTElement* Search(const char* name);
    void Clear() override;
    ADTElement* GetFirst() override;
    ADTElement* GetLast() override;
    ADTElement* GetNext(ADTElement* element) override;
    ADTElement* GetPrevious(ADTElement* element) override;

    static uint32_t HashName(const char* name);

    // The slot count the policy in mode grows a table of bucketCount slots
    // to, or bucketCount when it never grows.
    static uint32_t GrownBucketCount(uint32_t bucketCount, uint32_t mode);

    void (*DeleteCallback)(void* data) = nullptr;
    Bucket** Buckets = nullptr;
    uint32_t BucketCount = 0;
    uint32_t ElementCount = 0;
    uint32_t Mode = 0;

private:
    bool IsNameMode() const { return (Mode & MODE_NAMES) != 0; }
    void GrowIfNeeded();
    // Hangs a free node into the table by its key or, if it has one, its name.
    void Link(Bucket** table, uint32_t bucketCount, Bucket* node);
    Bucket* NewNode(void* data, uint64_t key, const char* name, uint32_t slot, Bucket* parent);
    void Unlink(Bucket* node);
    bool Holds(const Bucket* node) const;
    Bucket* FirstFrom(uint32_t slot) const;
    Bucket* LastFrom(uint32_t slot) const;
};
} // namespace ADT
} // namespace KyE
