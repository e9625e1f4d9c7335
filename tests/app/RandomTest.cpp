// The project random generator, the framework's Mersenne-twister seeding and the critical section.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "core/CriticalSection.h"
#include "core/MTRand.h"
#include "core/Random.h"

namespace
{

std::vector<int> Draw(int count)
{
    std::vector<int> values;
    for (int i = 0; i < count; ++i)
        values.push_back(Olvarn::Rand());
    return values;
}

} // namespace

TEST(Random, FollowsTheCLibrarySequence)
{
    struct Case {
        uint32_t seed;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {1, {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}},
        {12345, {7584, 19164, 25795, 22125, 5828}},
    };
    for (const Case& c : cases) {
        Olvarn::SeedRand(c.seed);
        EXPECT_EQ(Draw(static_cast<int>(c.expected.size())), c.expected) << "seed " << c.seed;
    }
    EXPECT_EQ(Olvarn::kRandMax, 32767);
}

TEST(Random, ReseedingReplaysAndStateResumes)
{
    Olvarn::SeedRand(987654321);
    std::vector<int> first = Draw(100);
    for (int v : first) {
        EXPECT_GE(v, 0);
        EXPECT_LE(v, Olvarn::kRandMax);
    }
    Olvarn::SeedRand(987654321);
    Draw(40);
    // A generator rebuilt from the saved state goes on exactly where the other left off.
    Olvarn::Random copy(Olvarn::ThreadRandom().State());
    EXPECT_EQ(copy.Next(), first[40]);
    EXPECT_EQ(Draw(60), std::vector<int>(first.begin() + 40, first.end()));
}

TEST(Random, OtherThreadsNeitherShareNorShiftTheSequence)
{
    Olvarn::SeedRand(42);
    std::vector<int> expected = Draw(5);

    Olvarn::SeedRand(42);
    Draw(2);
    std::vector<int> workerDraws;
    std::thread worker([&] { workerDraws = Draw(3); });
    worker.join();
    EXPECT_EQ(workerDraws, (std::vector<int>{41, 18467, 6334})) << "a new thread starts as if seeded with 1";
    EXPECT_EQ(Draw(3), std::vector<int>(expected.begin() + 2, expected.end()));
}

TEST(MTRand, SeedingFillsTheStateByTheReferenceRecurrence)
{
    // Constant-initialised: ready before any static constructor could seed or read it.
    constexpr Olvarn::MTRand initial;
    static_assert(initial.Word(0) == 4357u && initial.Word(1) == 300933633u, "seeded at compile time");

    struct Case {
        uint32_t seed;
        uint32_t word0, word1, word2, word623;
    };
    const Case cases[] = {
        {0, 4357, 300933633, 1838352333, 4274154457u},
        {4357, 4357, 300933633, 1838352333, 4274154457u},
        {1, 1, 69069, 475559465, 3311171525u},
    };
    for (const Case& c : cases) {
        Olvarn::MTRand mt;
        mt.SRand(c.seed);
        EXPECT_EQ(mt.Word(0), c.word0) << c.seed;
        EXPECT_EQ(mt.Word(1), c.word1) << c.seed;
        EXPECT_EQ(mt.Word(2), c.word2) << c.seed;
        EXPECT_EQ(mt.Word(623), c.word623) << c.seed;
        EXPECT_EQ(mt.Index(), Olvarn::MTRand::kStateSize);
    }
}

TEST(MTRand, SeedRandomSeedsTheProcessInstance)
{
    Olvarn::SeedRandom(1);
    EXPECT_EQ(Olvarn::gMTRand.Word(1), 69069u);
    Olvarn::SeedRandom(0);
    EXPECT_EQ(Olvarn::gMTRand.Word(0), Olvarn::MTRand::kDefaultSeed);
}

TEST(CriticalSection, IsReentrantAndExcludesOtherThreads)
{
    Olvarn::CriticalSection section;
    auto otherThreadGetsIn = [&] {
        bool entered = false;
        std::thread t([&] {
            entered = section.TryEnter();
            if (entered)
                section.Leave();
        });
        t.join();
        return entered;
    };

    {
        Olvarn::CriticalSectionLock outer(section);
        Olvarn::CriticalSectionLock inner(section);
        EXPECT_FALSE(otherThreadGetsIn());
    }
    EXPECT_TRUE(otherThreadGetsIn());

    try {
        Olvarn::CriticalSectionLock lock(section);
        throw std::runtime_error("leave by exception");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(otherThreadGetsIn()) << "the scope lock is released when an exception leaves its scope";
}

TEST(CriticalSection, SerialisesUpdatesFromManyThreads)
{
    Olvarn::CriticalSection section;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                Olvarn::CriticalSectionLock lock(section);
                counter = counter + 1;
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(counter, 80000);
}
