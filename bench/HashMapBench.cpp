// What a repeated resource request costs (one name hash and one search), and
// what filling a registry-like map costs with its growth steps.
#include "engine/containers/HashMap.h"

#include <benchmark/benchmark.h>
#include <string>
#include <unordered_map>
#include <vector>

using KyE::ADT::HashMap;

namespace
{
std::vector<std::string> Names(int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back("textures/block" + std::to_string(i) + ".kyt");
    return names;
}

void SearchByName(benchmark::State& state)
{
    HashMap map(256, 9);
    std::vector<std::string> names = Names(static_cast<int>(state.range(0)));
    for (auto& name : names)
        map.Insert(&map, name.c_str());
    size_t i = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(map.Search(names[i].c_str()));
        i = (i + 1) % names.size();
    }
}
BENCHMARK(SearchByName)->Arg(16)->Arg(1000)->Arg(100000);

void InsertWithGrowth(benchmark::State& state)
{
    std::vector<std::string> names = Names(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        HashMap map(256, 9);
        for (auto& name : names)
            map.Insert(&map, name.c_str());
        benchmark::DoNotOptimize(map.BucketCount);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(InsertWithGrowth)->Arg(1000)->Arg(20000);

// The names the game's registry actually holds, against the standard map.
const char* const REGISTRY_KEYS[] = {"Zived Udozo.kyf",
                                     "textures/KyMinGUI_Button.kyt",
                                     "textures/KyMinGUI_Button_H.kyt",
                                     "textures/KyMinGUI_Button_D.kyt",
                                     "textures/KyMinGUI_Edit.kyt",
                                     "textures/block01.kyt",
                                     "textures/block02.kyt",
                                     "textures/block03.kyt",
                                     "textures/block04.kyt",
                                     "textures/block05.kyt",
                                     "textures/block06.kyt",
                                     "textures/block07.kyt",
                                     "textures/block08.kyt"};
constexpr size_t KEY_COUNT = sizeof(REGISTRY_KEYS) / sizeof(REGISTRY_KEYS[0]);

void RegistrySearch(benchmark::State& state)
{
    HashMap map(256, 9);
    for (const char* key : REGISTRY_KEYS)
        map.Insert(const_cast<char*>(key), key);
    size_t i = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(map.Search(REGISTRY_KEYS[i]));
        i = (i + 1) % KEY_COUNT;
    }
}
BENCHMARK(RegistrySearch);

void RegistrySearchStd(benchmark::State& state)
{
    std::unordered_map<std::string, const char*> map(256);
    for (const char* key : REGISTRY_KEYS)
        map.emplace(key, key);
    size_t i = 0;
    for (auto _ : state)
    {
        // A request arrives as a C string, as the registry's do.
        benchmark::DoNotOptimize(map.find(REGISTRY_KEYS[i]));
        i = (i + 1) % KEY_COUNT;
    }
}
BENCHMARK(RegistrySearchStd);

void RegistryInsert(benchmark::State& state)
{
    for (auto _ : state)
    {
        HashMap map(256, 9);
        for (const char* key : REGISTRY_KEYS)
            benchmark::DoNotOptimize(map.Insert(const_cast<char*>(key), key));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(KEY_COUNT));
}
BENCHMARK(RegistryInsert);

void RegistryInsertStd(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::unordered_map<std::string, const char*> map(256);
        for (const char* key : REGISTRY_KEYS)
            benchmark::DoNotOptimize(map.emplace(key, key));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(KEY_COUNT));
}
BENCHMARK(RegistryInsertStd);
} // namespace
