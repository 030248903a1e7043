#include "engine/containers/HashMap.h"

#include "engine/core/Log.h"
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace KyE
{
namespace ADT
{
namespace
{
Bucket* Leftmost(Bucket* node)
{
    while (node->Left != nullptr)
        node = node->Left;
    return node;
}

Bucket* Rightmost(Bucket* node)
{
    while (node->Right != nullptr)
        node = node->Right;
    return node;
}

// A zero-filled table, or null (reported) when it cannot be had.
Bucket** NewTable(uint32_t bucketCount)
{
    size_t bytes = static_cast<size_t>(bucketCount) * sizeof(Bucket*);
    Bucket** table = static_cast<Bucket**>(malloc(bytes));
    if (table == nullptr)
    {
        LogOutOfMemory(bytes);
        return nullptr;
    }
    memset(table, 0, bytes);
    return table;
}
} // namespace

HashMap::HashMap(uint32_t bucketCount, uint32_t mode) : Mode(mode)
{
    if (bucketCount == 0)
    {
        LogError("[HashMap::HashMap] A map needs at least one slot; this one refuses every insert.");
        return;
    }
    Buckets = NewTable(bucketCount);
    if (Buckets != nullptr)
        BucketCount = bucketCount;
}

HashMap::~HashMap()
{
    Clear();
    free(Buckets);
    // A static map may still be reached by exit handlers that run after it.
    Buckets = nullptr;
    BucketCount = 0;
}

uint32_t HashMap::HashName(const char* name)
{
    uint32_t h = 208357u;
    if (name == nullptr)
        return h;
    for (const char* p = name; *p != '\0'; ++p)
    {
        // Bytes count as signed chars widened to 32 bits: 0xE4 is 0xFFFFFFE4.
        uint32_t c = static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
        h = (h * 35u) ^ c;
    }
    return h;
}

uint32_t HashMap::GrownBucketCount(uint32_t bucketCount, uint32_t mode)
{
    uint64_t grown = bucketCount;
    uint64_t root = static_cast<uint64_t>(sqrtf(static_cast<float>(bucketCount)));
    switch (mode & 3u)
    {
    case 1:
        grown = bucketCount + 3u * root;
        break;
    case 2:
        grown = bucketCount + (6u * root > 128u ? 6u * root : 128u);
        break;
    case 3:
        grown = static_cast<uint64_t>(1.5f * static_cast<float>(static_cast<uint64_t>(bucketCount) + 100u));
        break;
    default:
        break;
    }
    // A table of more slots than 32 bits count cannot be described.
    if (grown > 0xFFFFFFFFu)
        grown = 0xFFFFFFFFu;
    return static_cast<uint32_t>(grown);
}

void HashMap::GrowIfNeeded()
{
    uint64_t threshold;
    switch (Mode & 3u)
    {
    case 1:
        threshold = 3u * static_cast<uint64_t>(BucketCount);
        break;
    case 2:
        threshold = static_cast<uint64_t>(1.5f * static_cast<float>(BucketCount));
        break;
    case 3:
        threshold = BucketCount;
        break;
    default:
        return;
    }
    if (ElementCount < threshold)
        return;
    uint32_t newCount = GrownBucketCount(BucketCount, Mode);
    if (newCount <= BucketCount)
        return;
    Bucket** newTable = NewTable(newCount);
    if (newTable == nullptr)
        return; // the old table keeps serving; the insert goes on there

    // Each tree is taken apart in pre-order without a stack: the right subtree
    // waits below the rightmost node of the left one, which pre-order reaches
    // last, so the sequence is unchanged and every node is walked over once.
    for (uint32_t slot = 0; slot < BucketCount; ++slot)
    {
        Bucket* node = Buckets[slot];
        while (node != nullptr)
        {
            Bucket* left = node->Left;
            Bucket* right = node->Right;
            Bucket* next = right;
            if (left != nullptr)
            {
                if (right != nullptr)
                    Rightmost(left)->Right = right;
                next = left;
            }
            Link(newTable, newCount, node);
            node = next;
        }
    }
    free(Buckets);
    Buckets = newTable;
    BucketCount = newCount;
}

void HashMap::Link(Bucket** table, uint32_t bucketCount, Bucket* node)
{
    node->Left = nullptr;
    node->Right = nullptr;
    node->Parent = nullptr;
    uint64_t key = IsNameMode() ? (node->Key & 0xFFFFFFFFu) : node->Key;
    uint32_t slot = static_cast<uint32_t>(key % bucketCount);
    node->Slot = slot;
    Bucket* at = table[slot];
    if (at == nullptr)
    {
        table[slot] = node;
        return;
    }
    for (;;)
    {
        bool goLeft;
        if (node->Name != nullptr)
            goLeft = at->Name != nullptr && strcmp(node->Name, at->Name) < 0;
        else
            goLeft = node->Key < at->Key;
        Bucket*& link = goLeft ? at->Left : at->Right;
        if (link == nullptr)
        {
            link = node;
            node->Parent = at;
            return;
        }
        at = link;
    }
}

Bucket* HashMap::NewNode(void* data, uint64_t key, const char* name, uint32_t slot, Bucket* parent)
{
    Bucket* node = new (std::nothrow) Bucket;
    if (node == nullptr)
    {
        LogOutOfMemory(sizeof(Bucket));
        return nullptr;
    }
    if (name != nullptr)
    {
        size_t length = strlen(name);
        node->Name = static_cast<char*>(malloc(length + 1));
        if (node->Name == nullptr)
        {
            LogOutOfMemory(length + 1);
            delete node;
            return nullptr;
        }
        memcpy(node->Name, name, length + 1);
    }
    node->UseCount = 1;
    node->Key = key;
    node->Data = data;
    node->Slot = slot;
    node->Parent = parent;
    return node;
}

ADTElement* HashMap::Insert(void* data, uint64_t key)
{
    if (IsNameMode())
    {
        // Numeric keys would share the trees with names under other rules.
        LogError("[HashMap::Insert] A map of names takes no numeric keys.");
        return nullptr;
    }
    if (Buckets == nullptr)
        return nullptr;
    GrowIfNeeded();
    uint32_t slot = static_cast<uint32_t>(key % BucketCount);
    Bucket* parent = nullptr;
    Bucket** link = &Buckets[slot];
    while (*link != nullptr)
    {
        Bucket* at = *link;
        if (key == at->Key)
        {
            ++at->UseCount;
            return at;
        }
        parent = at;
        link = key < at->Key ? &at->Left : &at->Right;
    }
    Bucket* node = NewNode(data, key, nullptr, slot, parent);
    if (node == nullptr)
        return nullptr;
    *link = node;
    ++ElementCount;
    return node;
}

ADTElement* HashMap::Insert(void* data, const char* name)
{
    if (!IsNameMode() || name == nullptr || Buckets == nullptr)
        return nullptr;
    GrowIfNeeded();
    uint32_t hash = HashName(name);
    uint32_t slot = hash % BucketCount;
    Bucket* parent = nullptr;
    Bucket** link = &Buckets[slot];
    while (*link != nullptr)
    {
        Bucket* at = *link;
        parent = at;
        if (at->Name == nullptr)
        {
            link = &at->Right;
            continue;
        }
        int order = strcmp(name, at->Name);
        if (order == 0)
        {
            ++at->UseCount;
            return at;
        }
        link = order < 0 ? &at->Left : &at->Right;
    }
    Bucket* node = NewNode(data, hash, name, slot, parent);
    if (node == nullptr)
        return nullptr;
    *link = node;
    ++ElementCount;
    return node;
}

ADTElement* HashMap::Search(uint64_t key)
{
    if (Buckets == nullptr || IsNameMode())
        return nullptr;
    Bucket* at = Buckets[key % BucketCount];
    while (at != nullptr)
    {
        if (key == at->Key)
            return at;
        at = key < at->Key ? at->Left : at->Right;
    }
    return nullptr;
}

ADTElement* HashMap::Search(const char* name)
{
    if (!IsNameMode() || name == nullptr || Buckets == nullptr)
        return nullptr;
    Bucket* at = Buckets[HashName(name) % BucketCount];
    while (at != nullptr)
    {
        if (at->Name == nullptr)
        {
            at = at->Right;
            continue;
        }
        int order = strcmp(name, at->Name);
        if (order == 0)
            return at;
        at = order < 0 ? at->Left : at->Right;
    }
    return nullptr;
}

bool HashMap::Holds(const Bucket* node) const
{
    while (node->Parent != nullptr)
        node = node->Parent;
    return node->Slot < BucketCount && Buckets[node->Slot] == node;
}

void HashMap::Unlink(Bucket* node)
{
    Bucket* replacement = node->Right;
    if (node->Left != nullptr)
    {
        replacement = node->Left;
        if (node->Right != nullptr)
        {
            Bucket* last = Rightmost(node->Left);
            last->Right = node->Right;
            node->Right->Parent = last;
        }
    }
    if (replacement != nullptr)
        replacement->Parent = node->Parent;
    if (node->Parent == nullptr)
        Buckets[node->Slot] = replacement;
    else if (node->Parent->Left == node)
        node->Parent->Left = replacement;
    else
        node->Parent->Right = replacement;
    node->Left = node->Right = node->Parent = nullptr;
}

void HashMap::Delete(ADTElement* element)
{
    if (element == nullptr)
        return;
    Bucket* node = static_cast<Bucket*>(element);
    if (!Holds(node))
    {
        LogError("[HashMap::Delete] The element is not in this map.");
        return;
    }
    // The map is whole again before the callback runs, so a callback that
    // releases further elements of this map finds it consistent.
    Unlink(node);
    --ElementCount;
    if (DeleteCallback != nullptr && node->Data != nullptr)
        DeleteCallback(node->Data);
    free(node->Name);
    node->Name = nullptr;
    delete node;
}

void HashMap::Delete(uint64_t key)
{
    Delete(Search(key));
}

void HashMap::Clear()
{
    // Removing a tree's root again and again visits the tree in pre-order
    // (the left child takes the root's place, the right subtree goes below
    // its rightmost node), and every callback sees a consistent map.
    for (uint32_t slot = 0; slot < BucketCount; ++slot)
    {
        while (slot < BucketCount && Buckets[slot] != nullptr)
            Delete(Buckets[slot]);
    }
}

Bucket* HashMap::FirstFrom(uint32_t slot) const
{
    for (uint32_t s = slot; s < BucketCount; ++s)
    {
        if (Buckets[s] != nullptr)
            return Leftmost(Buckets[s]);
    }
    return nullptr;
}

Bucket* HashMap::LastFrom(uint32_t slot) const
{
    if (BucketCount == 0)
        return nullptr;
    if (slot >= BucketCount)
        slot = BucketCount - 1;
    for (uint32_t s = slot + 1; s-- > 0;)
    {
        if (Buckets[s] != nullptr)
            return Rightmost(Buckets[s]);
    }
    return nullptr;
}

ADTElement* HashMap::GetFirst()
{
    return FirstFrom(0);
}

ADTElement* HashMap::GetLast()
{
    return BucketCount == 0 ? nullptr : LastFrom(BucketCount - 1);
}

ADTElement* HashMap::GetNext(ADTElement* element)
{
    if (element == nullptr)
        return nullptr;
    Bucket* node = static_cast<Bucket*>(element);
    if (node->Right != nullptr)
        return Leftmost(node->Right);
    while (node->Parent != nullptr && node->Parent->Right == node)
        node = node->Parent;
    if (node->Parent != nullptr)
        return node->Parent;
    return FirstFrom(node->Slot + 1);
}

ADTElement* HashMap::GetPrevious(ADTElement* element)
{
    if (element == nullptr)
        return nullptr;
    Bucket* node = static_cast<Bucket*>(element);
    if (node->Left != nullptr)
        return Rightmost(node->Left);
    while (node->Parent != nullptr && node->Parent->Left == node)
        node = node->Parent;
    if (node->Parent != nullptr)
        return node->Parent;
    if (node->Slot == 0)
        return nullptr;
    return LastFrom(node->Slot - 1);
}
} // namespace ADT
} // namespace KyE
