#include "engine/core/Random.h"

#include <gtest/gtest.h>
#include <random>

namespace
{
// The published seeding, to check the twist and tempering against the
// standard library's generator.
void PublishedSeed(uint32_t seed, uint32_t (&words)[624])
{
    words[0] = seed;
    for (uint32_t i = 1; i < 624; ++i)
        words[i] = 1812433253u * (words[i - 1] ^ (words[i - 1] >> 30)) + i;
}
} // namespace

TEST(Random, TwistAndTemperingMatchTheStandardGenerator)
{
    for (uint32_t seed : {5489u, 0u, 1u, 0xDEADBEEFu})
    {
        uint32_t words[624];
        PublishedSeed(seed, words);
        RandomLoadState(words);
        std::mt19937 reference(seed);
        for (int i = 0; i < 2000; ++i) // crosses several twists
            ASSERT_EQ(RandomNext(), reference()) << "seed " << seed << " draw " << i;
    }
}

TEST(Random, OwnSeedingGivesPinnedOutputs)
{
    // Computed from the seeding rules by a separate implementation: the state
    // filled from the seed, twisted once, and twisted again by the first draw.
    struct Case
    {
        uint32_t seed;
        uint32_t first[4];
        uint32_t draw625;
    };
    const Case cases[] = {
        {0u, {0x68826337u, 0x38805e3du, 0x9f5d990au, 0xc0d5b8ecu}, 0x722ece76u},
        {1u, {0x44c2b8f7u, 0x8d2524a4u, 0x8f473d6cu, 0x3c144092u}, 0x49f894a3u},
        {12345u, {0x3c8b628au, 0x40445d80u, 0x374acc7au, 0xbd0ef14bu}, 0x4c96e731u},
        {0xDEADBEEFu, {0x064ab254u, 0xd1acde51u, 0xa5e7d857u, 0x72b4883du}, 0x8a92332au},
    };
    for (const Case& c : cases)
    {
        RandomSeed(c.seed);
        for (uint32_t v : c.first)
            EXPECT_EQ(RandomNext(), v) << "seed " << c.seed;
        for (int i = 4; i < 624; ++i)
            RandomNext();
        EXPECT_EQ(RandomNext(), c.draw625) << "the 625th draw twists first, seed " << c.seed;
    }
}

TEST(Random, IntStaysInItsBounds)
{
    RandomSeed(42);
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(RandomInt(0), 0u);
    bool seen[7] = {};
    for (int i = 0; i < 1000; ++i)
    {
        uint32_t v = RandomInt(6);
        ASSERT_LE(v, 6u);
        seen[v] = true;
    }
    for (bool s : seen)
        EXPECT_TRUE(s);
}

TEST(Random, FullRangeBoundDoesNotDivideByZero)
{
    RandomSeed(7);
    uint32_t raw = RandomNext();
    RandomSeed(7);
    EXPECT_EQ(RandomInt(0xFFFFFFFFu), raw);
}
