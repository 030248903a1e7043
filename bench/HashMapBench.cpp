// What a repeated resource request costs (one name hash and one search), and
// what filling a registry-like map costs with its growth steps.
#include "engine/containers/HashMap.h"

#include <benchmark/benchmark.h>
#include <string>
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
} // namespace
