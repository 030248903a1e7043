#include "engine/containers/HashMap.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

using KyE::ADT::ADTElement;
using KyE::ADT::Bucket;
using KyE::ADT::HashMap;

namespace
{
void* Tag(uintptr_t n)
{
    return reinterpret_cast<void*>(n);
}

std::vector<uintptr_t> deleted;
void RecordDelete(void* data)
{
    deleted.push_back(reinterpret_cast<uintptr_t>(data));
}

std::vector<uint64_t> KeysInOrder(HashMap& map)
{
    std::vector<uint64_t> keys;
    for (ADTElement* e = map.GetFirst(); e != nullptr; e = map.GetNext(e))
        keys.push_back(e->Key);
    return keys;
}

// Walks every tree and checks what iteration, removal and search rely on:
// parent links, slots, ordering, the count. Returns the number of nodes.
uint32_t CheckStructure(const HashMap& map)
{
    uint32_t count = 0;
    for (uint32_t slot = 0; slot < map.BucketCount; ++slot)
    {
        Bucket* root = map.Buckets[slot];
        if (root == nullptr)
            continue;
        EXPECT_EQ(root->Parent, nullptr);
        std::vector<Bucket*> stack{root};
        while (!stack.empty())
        {
            Bucket* n = stack.back();
            stack.pop_back();
            ++count;
            EXPECT_EQ(n->Slot, slot);
            uint64_t key = (map.Mode & HashMap::MODE_NAMES) ? (n->Key & 0xFFFFFFFFu) : n->Key;
            EXPECT_EQ(key % map.BucketCount, slot);
            if (n->Left != nullptr)
            {
                EXPECT_EQ(n->Left->Parent, n);
                bool before = n->Name != nullptr ? strcmp(n->Left->Name, n->Name) < 0 : n->Left->Key < n->Key;
                EXPECT_TRUE(before);
                stack.push_back(n->Left);
            }
            if (n->Right != nullptr)
            {
                EXPECT_EQ(n->Right->Parent, n);
                bool after = n->Name != nullptr ? strcmp(n->Right->Name, n->Name) > 0 : n->Right->Key > n->Key;
                EXPECT_TRUE(after);
                stack.push_back(n->Right);
            }
        }
    }
    EXPECT_EQ(count, map.ElementCount);
    return count;
}
} // namespace

TEST(HashMap, NameHash)
{
    EXPECT_EQ(HashMap::HashName(""), 208357u);
    EXPECT_EQ(HashMap::HashName("abc"), 343330075u);
    // A byte above 0x7F counts as a negative char widened to 32 bits.
    EXPECT_EQ(HashMap::HashName("\xE4"), (208357u * 35u) ^ 0xFFFFFFE4u);
}

TEST(HashMap, SameNameTwiceGivesOneElementUsedTwice)
{
    HashMap map(64, 8);
    ADTElement* first = map.Insert(Tag(1), "Texture0");
    ADTElement* second = map.Insert(Tag(2), "Texture0");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->UseCount, 2);
    EXPECT_EQ(first->Data, Tag(1));
    EXPECT_EQ(map.ElementCount, 1u);
    EXPECT_STREQ(first->Name, "Texture0");
    EXPECT_EQ(first->Key, HashMap::HashName("Texture0"));
    // The map keeps a copy of its own, not the caller's pointer.
    char name[] = "copied";
    ADTElement* e = map.Insert(Tag(3), name);
    name[0] = 'X';
    EXPECT_EQ(map.Search("copied"), e);
    EXPECT_EQ(map.Search("Xopied"), nullptr);
}

TEST(HashMap, CollidingNamesShareOneOrderedTree)
{
    HashMap map(64, 8);
    ASSERT_EQ(HashMap::HashName("a") % 64, 46u);
    ASSERT_EQ(HashMap::HashName("Texture0") % 64, 46u);
    ADTElement* a = map.Insert(Tag(1), "a");
    ADTElement* t = map.Insert(Tag(2), "Texture0");
    Bucket* root = map.Buckets[46];
    EXPECT_EQ(root, a);
    EXPECT_EQ(root->Left, t);
    EXPECT_EQ(static_cast<Bucket*>(t)->Parent, root);
    EXPECT_EQ(map.GetFirst(), t);
    EXPECT_EQ(map.GetNext(t), a);
    EXPECT_EQ(map.GetNext(a), nullptr);
    EXPECT_EQ(map.GetLast(), a);
    EXPECT_EQ(map.GetPrevious(a), t);
    EXPECT_EQ(map.GetPrevious(t), nullptr);
    EXPECT_EQ(map.Search("a"), a);
    EXPECT_EQ(map.Search("Texture0"), t);
    EXPECT_EQ(map.Search("b"), nullptr);
}

TEST(HashMap, DeletingANodeWithTwoSubtreesKeepsTheOrder)
{
    HashMap map(1, 0);
    std::map<uint64_t, ADTElement*> elements;
    for (uint64_t key : {50, 30, 70, 20, 40, 60, 80, 35, 45})
        elements[key] = map.Insert(Tag(key), key);
    Bucket* thirty = static_cast<Bucket*>(elements[30]);
    Bucket* twenty = static_cast<Bucket*>(elements[20]);
    Bucket* forty = static_cast<Bucket*>(elements[40]);
    deleted.clear();
    map.DeleteCallback = RecordDelete;
    map.Delete(thirty);
    EXPECT_EQ(deleted, std::vector<uintptr_t>{30});
    Bucket* root = map.Buckets[0];
    EXPECT_EQ(root->Key, 50u);
    EXPECT_EQ(root->Left, twenty);
    EXPECT_EQ(twenty->Parent, root);
    EXPECT_EQ(twenty->Right, forty); // 20 is the rightmost node of the left subtree
    EXPECT_EQ(forty->Parent, twenty);
    EXPECT_EQ(KeysInOrder(map), (std::vector<uint64_t>{20, 35, 40, 45, 50, 60, 70, 80}));
    CheckStructure(map);

    // The root itself, with two subtrees: its left child becomes the root.
    map.Delete(root);
    EXPECT_EQ(map.Buckets[0], twenty);
    EXPECT_EQ(twenty->Parent, nullptr);
    EXPECT_EQ(KeysInOrder(map), (std::vector<uint64_t>{20, 35, 40, 45, 60, 70, 80}));
    // A node with only a right subtree, then a leaf.
    map.Delete(twenty);
    map.Delete(uint64_t{45});
    EXPECT_EQ(KeysInOrder(map), (std::vector<uint64_t>{35, 40, 60, 70, 80}));
    EXPECT_EQ(map.ElementCount, 5u);
    CheckStructure(map);
}

TEST(HashMap, EmptySlotsAndEmptyMapsIterateToNothing)
{
    HashMap map(8, 0);
    EXPECT_EQ(map.GetFirst(), nullptr);
    EXPECT_EQ(map.GetLast(), nullptr);
    EXPECT_EQ(map.GetNext(nullptr), nullptr);
    ADTElement* two = map.Insert(Tag(1), 2);
    ADTElement* five = map.Insert(Tag(2), 5);
    ADTElement* thirteen = map.Insert(Tag(3), 13);
    EXPECT_EQ(KeysInOrder(map), (std::vector<uint64_t>{2, 5, 13}));
    EXPECT_EQ(map.GetNext(thirteen), nullptr);
    EXPECT_EQ(map.GetPrevious(five), two);
    map.Delete(two);
    EXPECT_EQ(map.Buckets[2], nullptr);
    EXPECT_EQ(map.GetFirst(), five);
    EXPECT_EQ(map.GetPrevious(five), nullptr);
    map.Delete(nullptr);
    map.Delete(uint64_t{99});
    EXPECT_EQ(map.ElementCount, 2u);
    EXPECT_EQ(map.Search(uint64_t{99}), nullptr);
    // Keys use all 64 bits.
    ADTElement* big = map.Insert(Tag(4), (uint64_t{1} << 40) | 5);
    EXPECT_NE(big, five);
    EXPECT_EQ(map.Search((uint64_t{1} << 40) | 5), big);
    EXPECT_EQ(map.Search(uint64_t{5}), five);
}

TEST(HashMap, GrowthTablesAndThresholds)
{
    EXPECT_EQ(HashMap::GrownBucketCount(256, 1), 304u);
    EXPECT_EQ(HashMap::GrownBucketCount(10, 2), 138u);
    EXPECT_EQ(HashMap::GrownBucketCount(64, 3), 246u);
    EXPECT_EQ(HashMap::GrownBucketCount(64, 8), 64u);
    EXPECT_EQ(HashMap::GrownBucketCount(0xFFFFFFF0u, 3), 0xFFFFFFFFu);

    HashMap two(10, 2);
    for (uint64_t k = 0; k < 15; ++k)
        two.Insert(Tag(k + 1), k);
    EXPECT_EQ(two.BucketCount, 10u);
    two.Insert(Tag(99), 3); // present already: the check still runs first
    EXPECT_EQ(two.BucketCount, 138u);
    EXPECT_EQ(two.ElementCount, 15u);

    HashMap three(64, 3);
    for (uint64_t k = 0; k < 65; ++k)
        three.Insert(Tag(k + 1), k * 7);
    EXPECT_EQ(three.BucketCount, 246u);
    CheckStructure(three);

    HashMap never(4, 8);
    for (int i = 0; i < 100; ++i)
        never.Insert(Tag(1), std::to_string(i).c_str());
    EXPECT_EQ(never.BucketCount, 4u);
    EXPECT_EQ(never.ElementCount, 100u);
}

TEST(HashMap, GrowthRelinksElementsInPlace)
{
    HashMap map(256, 9);
    std::vector<std::pair<std::string, ADTElement*>> kept;
    for (int i = 0; i < 768; ++i)
    {
        std::string name = "textures/item" + std::to_string(i) + ".kyt";
        ADTElement* e = map.Insert(Tag(i + 1), name.c_str());
        ASSERT_NE(e, nullptr);
        kept.emplace_back(name, e);
    }
    kept[5].second->UseCount = 7;
    EXPECT_EQ(map.BucketCount, 256u);
    ADTElement* extra = map.Insert(Tag(1000), "extra");
    EXPECT_EQ(map.BucketCount, 304u);
    EXPECT_EQ(map.ElementCount, 769u);
    EXPECT_EQ(map.Search("extra"), extra);
    for (size_t i = 0; i < kept.size(); ++i)
    {
        ASSERT_EQ(map.Search(kept[i].first.c_str()), kept[i].second) << kept[i].first;
        EXPECT_EQ(kept[i].second->Data, Tag(i + 1));
        EXPECT_STREQ(kept[i].second->Name, kept[i].first.c_str());
    }
    EXPECT_EQ(kept[5].second->UseCount, 7);
    CheckStructure(map);
}

TEST(HashMap, ClearHandsOverDataInSlotOrderAndPreOrder)
{
    HashMap map(4, 0);
    // Slot 0: 8 with 4 left and 12 right, 16 right of 12. Slot 1: 5, 1 left.
    for (uint64_t key : {5, 8, 4, 12, 1, 16})
        map.Insert(Tag(key), key);
    map.Insert(nullptr, 2); // no data, no callback
    deleted.clear();
    map.DeleteCallback = RecordDelete;
    map.Clear();
    EXPECT_EQ(deleted, (std::vector<uintptr_t>{8, 4, 12, 16, 5, 1}));
    EXPECT_EQ(map.ElementCount, 0u);
    EXPECT_EQ(map.GetFirst(), nullptr);
    for (uint32_t s = 0; s < map.BucketCount; ++s)
        EXPECT_EQ(map.Buckets[s], nullptr);
    map.Clear();
    EXPECT_EQ(deleted.size(), 6u);
    // Usable after clearing.
    EXPECT_NE(map.Insert(Tag(3), 3), nullptr);
}

namespace
{
HashMap* reentrantMap = nullptr;
ADTElement* partner = nullptr;
// Like a resource whose destructor gives back a reference it holds.
void DeleteAlsoPartner(void* data)
{
    deleted.push_back(reinterpret_cast<uintptr_t>(data));
    if (reinterpret_cast<uintptr_t>(data) == 1 && partner != nullptr)
    {
        ADTElement* p = partner;
        partner = nullptr;
        reentrantMap->Delete(p);
    }
}
} // namespace

TEST(HashMap, CallbackMayDeleteOtherElementsWhileClearing)
{
    HashMap map(2, 8);
    reentrantMap = &map;
    std::vector<ADTElement*> all;
    for (uintptr_t i = 1; i <= 20; ++i)
        all.push_back(map.Insert(Tag(i), ("n" + std::to_string(i)).c_str()));
    partner = all[13];
    deleted.clear();
    map.DeleteCallback = DeleteAlsoPartner;
    map.Clear();
    EXPECT_EQ(map.ElementCount, 0u);
    std::vector<uintptr_t> sorted = deleted;
    std::sort(sorted.begin(), sorted.end());
    std::vector<uintptr_t> expected;
    for (uintptr_t i = 1; i <= 20; ++i)
        expected.push_back(i);
    EXPECT_EQ(sorted, expected); // each exactly once
    reentrantMap = nullptr;
}

TEST(HashMap, KeyKindsNotOfTheModeAreRefused)
{
    HashMap names(16, 8);
    testing::internal::CaptureStderr();
    EXPECT_EQ(names.Insert(Tag(1), uint64_t{3}), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: [HashMap::Insert] A map of names takes no numeric keys.\n");
    EXPECT_EQ(names.Search(uint64_t{3}), nullptr);
    EXPECT_EQ(names.ElementCount, 0u);
    EXPECT_EQ(names.Insert(Tag(1), static_cast<const char*>(nullptr)), nullptr);

    HashMap numbers(16, 1);
    EXPECT_EQ(numbers.Insert(Tag(1), "abc"), nullptr);
    EXPECT_EQ(numbers.Search("abc"), nullptr);
    EXPECT_EQ(numbers.ElementCount, 0u);
}

TEST(HashMap, MapWithoutTableRefusesInsertsAndNeverDivides)
{
    testing::internal::CaptureStderr();
    for (uint32_t mode : {0u, 1u, 2u, 3u, 8u, 9u, 11u})
    {
        HashMap map(0, mode);
        EXPECT_EQ(map.BucketCount, 0u);
        EXPECT_EQ(map.Insert(Tag(1), "a"), nullptr);
        EXPECT_EQ(map.Insert(Tag(1), uint64_t{1}), nullptr);
        EXPECT_EQ(map.Search("a"), nullptr);
        EXPECT_EQ(map.Search(uint64_t{1}), nullptr);
        EXPECT_EQ(map.GetFirst(), nullptr);
        EXPECT_EQ(map.GetLast(), nullptr);
        map.Delete(uint64_t{1});
        map.Clear();
        EXPECT_EQ(map.ElementCount, 0u);
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[HashMap::HashMap] A map needs at least one slot"), std::string::npos);
}

namespace
{
// Decimal digits that sort as the numbers do.
std::string Padded(uint64_t k)
{
    std::string digits = std::to_string(k);
    return std::string(20 - digits.size(), '0') + digits;
}

// Random inserts, searches and deletes checked against std::map; the order of
// iteration against (slot, key) ordering; element addresses against those
// first returned.
void CompareWithStdMap(uint32_t buckets, uint32_t mode, bool names, uint32_t seed)
{
    HashMap map(buckets, mode);
    std::map<std::string, std::pair<ADTElement*, uintptr_t>> model;
    uint32_t state = seed;
    auto next = [&state]() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    auto keyOf = [&](uint32_t r) { return std::to_string(r % 3000); };
    uintptr_t tag = 1;
    for (int op = 0; op < 6000; ++op)
    {
        uint32_t r = next();
        std::string key = keyOf(next());
        uint64_t numeric = std::stoull(key) * 2654435761u;
        uint32_t kind = r % 10;
        if (kind < 5)
        {
            ADTElement* e = names ? map.Insert(Tag(tag), key.c_str()) : map.Insert(Tag(tag), numeric);
            ASSERT_NE(e, nullptr);
            auto it = model.find(key);
            if (it == model.end())
            {
                EXPECT_EQ(e->Data, Tag(tag));
                EXPECT_EQ(e->UseCount, 1);
                model[key] = {e, tag};
            }
            else
            {
                ASSERT_EQ(e, it->second.first);
                EXPECT_EQ(e->Data, Tag(it->second.second));
            }
            ++tag;
        }
        else if (kind < 8)
        {
            ADTElement* e = names ? map.Search(key.c_str()) : map.Search(numeric);
            auto it = model.find(key);
            ASSERT_EQ(e, it == model.end() ? nullptr : it->second.first);
        }
        else
        {
            auto it = model.find(key);
            ADTElement* e = names ? map.Search(key.c_str()) : map.Search(numeric);
            ASSERT_EQ(e, it == model.end() ? nullptr : it->second.first);
            map.Delete(e);
            if (it != model.end())
                model.erase(it);
        }
        ASSERT_EQ(map.ElementCount, model.size());
        if (op % 500 == 499)
        {
            ASSERT_EQ(CheckStructure(map), model.size());
        }
    }

    // Iteration: slots upward, names (or keys) ordered within a slot.
    std::vector<std::pair<uint64_t, std::string>> expected;
    for (auto& entry : model)
    {
        uint64_t k = names ? HashMap::HashName(entry.first.c_str()) : std::stoull(entry.first) * 2654435761u;
        expected.emplace_back(k % map.BucketCount, names ? entry.first : Padded(k));
    }
    std::sort(expected.begin(), expected.end());
    std::vector<ADTElement*> forward;
    for (ADTElement* e = map.GetFirst(); e != nullptr; e = map.GetNext(e))
        forward.push_back(e);
    ASSERT_EQ(forward.size(), expected.size());
    for (size_t i = 0; i < forward.size(); ++i)
    {
        uint64_t slot = (names ? (forward[i]->Key & 0xFFFFFFFFu) : forward[i]->Key) % map.BucketCount;
        EXPECT_EQ(slot, expected[i].first);
        std::string order = names ? std::string(forward[i]->Name) : Padded(forward[i]->Key);
        EXPECT_EQ(order, expected[i].second);
    }
    std::vector<ADTElement*> backward;
    for (ADTElement* e = map.GetLast(); e != nullptr; e = map.GetPrevious(e))
        backward.push_back(e);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(forward, backward);

    deleted.clear();
    map.DeleteCallback = RecordDelete;
    map.Clear();
    EXPECT_EQ(deleted.size(), model.size());
}
} // namespace

TEST(HashMap, RandomisedAgainstStdMapInEveryPolicy)
{
    for (uint32_t policy = 0; policy < 4; ++policy)
    {
        SCOPED_TRACE(policy);
        CompareWithStdMap(policy == 0 ? 7 : 3, policy, false, 11 + policy);
        CompareWithStdMap(policy == 0 ? 13 : 1, HashMap::MODE_NAMES | policy, true, 97 + policy);
    }
}
